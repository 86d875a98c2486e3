#include "support/Scenario.h"

#include "support/Refusals.h"

#include "store/StoreError.h"
#include "store/SummaryKinds.h"
#include "store/database_access.h"
#include "ui/DGrid.h"
#include "ui/FileDialog.h"
#include "ui/RichTextBox.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>

#include <QTimer>
#include <sys/stat.h>

using namespace database_access;

namespace {

// The words of a line: blanks part them, quotes keep them together, escapes stand for
// themselves.
QStringList wordsOf(const QString &line)
{
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        QChar c = line.at(i);
        if (c == QLatin1Char('\\') && i + 5 < line.size() && line.at(i + 1) == QLatin1Char('u')) {
            c = QChar(line.mid(i + 2, 4).toUShort(nullptr, 16));
            i += 5;
        } else if (c == QLatin1Char('\\') && i + 1 < line.size()) {
            const QChar e = line.at(++i);
            c = e == QLatin1Char('n')   ? QChar('\n')
                : e == QLatin1Char('t') ? QChar('\t')
                : e == QLatin1Char('r') ? QChar('\r')
                                        : e;
        } else if (c == QLatin1Char('"') || (c.isSpace() && c != QChar(0x3000) && !quoted)) {
            if (c == QLatin1Char('"'))
                quoted = !quoted;
            else if (inWord)
                words << std::exchange(word, QString());
            inWord = c == QLatin1Char('"');
            continue;
        }
        word += c;
        inWord = true;
    }
    if (inWord)
        words << word;
    return words;
}

struct Case
{
    QString file;
    int line = 0;
    QList<QPair<int, QString>> lines;
    QString title;
};

QString shown(const QVariant &value)
{
    if (value.typeId() == QMetaType::Double) {
        const double d = value.toDouble();
        return d == double(qint64(d)) && qAbs(d) < 1e15 ? QString::number(qint64(d))
                                                        : QString::number(d, 'g', QLocale::FloatingPointShortest);
    }
    return value.isNull() ? QStringLiteral("NULL") : value.toString();
}

QString textOf(QWidget *w)
{
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        return edit->text();
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *combo = qobject_cast<QComboBox *>(w))
        return combo->currentText();
    if (auto *box = qobject_cast<ui::RichTextBox *>(w))
        return box->text();
    if (auto *list = qobject_cast<QListWidget *>(w))
        return list->currentItem() ? list->currentItem()->text() : QString();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    return w->windowTitle();
}

} // namespace

Q_DECLARE_METATYPE(Case)

Scenario::~Scenario()
{
    m_windows.clear();
    ui::setSaveFileHook({});
    Set_Statement_Hook({});
}

void Scenario::addRows(const char *source)
{
    QTest::addColumn<Case>("scenario");
    const QDir folder = QFileInfo(QString::fromLocal8Bit(source)).dir();
    for (const QString &name : folder.entryList({ QStringLiteral("*.scenarios.txt") }, QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            QFAIL(qPrintable(QStringLiteral("cannot read ") + file.fileName()));
        QList<QPair<int, QString>> prelude;
        QList<Case> cases;
        int number = 0;
        for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            ++number;
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(QLatin1String("==")))
                cases.append(
                    { file.fileName(), number, prelude, name + QStringLiteral(": ") + trimmed.mid(2).trimmed() });
            else if (!trimmed.isEmpty() && !trimmed.startsWith(QLatin1Char('#')))
                (cases.isEmpty() ? prelude : cases.last().lines).append({ number, trimmed });
        }
        for (const Case &c : cases)
            QTest::newRow(qPrintable(c.title)) << c;
    }
}

void Scenario::run()
{
    QFETCH(Case, scenario);
    m_file = scenario.file;
    for (const auto &[number, line] : scenario.lines) {
        m_line = number;
        const QStringList words = wordsOf(line);
        if (m_recording && words.value(0) == QLatin1String("end"))
            m_recording = nullptr;
        else if (m_recording)
            m_recording->append(words);
        else
            step(words);
        if (m_failed)
            return;
    }
    m_line = scenario.line;
    if (!m_boxes.texts().isEmpty())
        fail(QStringLiteral("boxes shown and not checked: ") + m_boxes.texts().join(QStringLiteral(" / ")));
    else if (m_boxes.pendingAnswers() != 0)
        fail(QStringLiteral("%1 answers left over").arg(m_boxes.pendingAnswers()));
    else if (m_modalsPlayed != m_modalSteps.size())
        fail(QStringLiteral("%1 of %2 modal windows shown").arg(m_modalsPlayed).arg(m_modalSteps.size()));
    else if (!m_modal.unexpected().isEmpty())
        fail(QStringLiteral("windows nobody played: ") + m_modal.unexpected().join(QLatin1Char(' ')));
}

void Scenario::fail(const QString &message)
{
    if (!m_failed)
        QTest::qFail(qPrintable(message), qPrintable(m_file), m_line);
    m_failed = true;
}

void Scenario::expectEqual(const QString &what, const QStringList &actual, const QStringList &wanted)
{
    // ~TEXT: any text holding TEXT.
    QStringList expected = wanted;
    for (qsizetype i = 0; i < expected.size() && i < actual.size(); ++i) {
        if (expected.at(i).startsWith(QLatin1Char('~')) && actual.at(i).contains(expected.at(i).mid(1)))
            expected[i] = actual.at(i);
    }
    if (actual != expected)
        fail(what + QStringLiteral("\n   actual: [") + actual.join(QStringLiteral("] ["))
            + QStringLiteral("]\n expected: [") + expected.join(QStringLiteral("] [")) + QStringLiteral("]"));
}

QWidget *Scenario::find(const QString &name)
{
    if (name == QLatin1String("focus"))
        return QApplication::focusWidget();
    QList<QWidget *> scopes;
    for (const QPointer<QWidget> &d : m_dialogs)
        scopes.prepend(d);
    for (const auto &w : m_windows)
        scopes.insert(m_dialogs.size(), w.get());
    if (name == QLatin1String("window"))
        return scopes.value(0);
    const QString base = name.section(QLatin1Char('['), 0, 0);
    const int index = name.contains(QLatin1Char('[')) ? name.section(QLatin1Char('['), 1).chopped(1).toInt() : 0;
    for (QWidget *scope : scopes) {
        if (!scope)
            continue;
        QList<QWidget *> found = scope->findChildren<QWidget *>(base);
        if (scope->objectName() == base)
            found.prepend(scope);
        if (index < found.size())
            return found.at(index);
    }
    fail(QStringLiteral("no widget ") + name);
    return nullptr;
}

void Scenario::step(const QStringList &line)
{
    QStringList words = line;
    words.replaceInStrings(QStringLiteral("{ledger}"), m_ledger->folder());
    const QString verb = words.value(0);
    const QStringList args = words.mid(1);
    if (m_commands.contains(verb))
        m_commands.value(verb)(*this, args);
    else if (verb == QLatin1String("expect"))
        check(args.value(0), args.mid(1));
    else if (QStringList({ "today", "kinds", "kind", "entry", "daynote", "skinds", "sql" }).contains(verb))
        setUp(words);
    else
        act(verb, args);
    QTest::qWait(0);
}

void Scenario::setUp(const QStringList &words)
{
    const QString verb = words.first();
    const QStringList a = words.mid(1);
    try {
        if (verb == QLatin1String("today")) {
            m_clock.emplace(QDateTime(QDate::fromString(a.value(0), Qt::ISODate), QTime(10, 30)));
        } else if (verb == QLatin1String("kinds")) {
            for (qsizetype i = 0; i < a.size(); ++i)
                m_ledger->addKind(a.at(i), i + 1);
        } else if (verb == QLatin1String("kind")) {
            m_ledger->addKind(a.value(0), a.value(1).toLongLong());
        } else if (verb == QLatin1String("entry")) {
            const QString next = QStringLiteral("SELECT ifnull(max(a_key), 0) + 1 FROM data_main");
            const qint64 key = a.size() > 6 ? a.at(6).toLongLong() : m_ledger->scalar(next).toLongLong();
            m_ledger->addEntry(QDate::fromString(a.value(0), Qt::ISODate).toString(Qt::ISODate),
                a.value(1).toLongLong(), a.value(2).toInt(), a.value(3), a.value(4).toDouble(), a.value(5), key,
                a.value(7));
        } else if (verb == QLatin1String("daynote")) {
            m_ledger->setDayNote(a.value(0), a.value(1));
        } else if (verb == QLatin1String("skinds")) {
            m_ledger->writeSKinds(a.value(0).toUtf8());
        } else {
            Exec_SQL(a.value(0));
        }
    } catch (const StoreError &e) {
        fail(QStringLiteral("set-up failed: ") + e.message());
    }
}

void Scenario::clickAt(QWidget *widget, int row, Qt::KeyboardModifiers modifiers, bool twice)
{
    QPoint at = widget->rect().center();
    if (auto *grid = qobject_cast<DGrid *>(widget); grid && row == 0) {
        QHeaderView *header = grid->horizontalHeader();
        const int col = qMin(4, grid->cols() - 1);
        widget = header->viewport();
        at = QPoint(header->sectionViewportPosition(col) + header->sectionSize(col) / 2, header->height() / 2);
    } else if (grid) {
        const QModelIndex cell = grid->model()->index(row - grid->fixedRows(), qMin(4, grid->cols() - 1));
        grid->scrollTo(cell);
        widget = grid->viewport();
        at = grid->visualRect(cell).center();
    } else if (auto *list = qobject_cast<QListWidget *>(widget); list && list->item(row)) {
        list->scrollToItem(list->item(row));
        QCoreApplication::processEvents();
        widget = list->viewport();
        at = list->visualItemRect(list->item(row)).center();
    } else if (auto *empty = qobject_cast<QListWidget *>(widget)) {
        widget = empty->viewport();
        at = QPoint(20, 20);
    }
    QTest::mouseClick(widget, Qt::LeftButton, modifiers, at);
    if (twice)
        QTest::mouseDClick(widget, Qt::LeftButton, modifiers, at);
}

void Scenario::act(const QString &verb, const QStringList &a)
{
    const auto is = [&verb](const char *name) { return verb == QLatin1String(name); };
    if (is("open") && a.value(0) != QLatin1String("other") && !m_makers.contains(a.value(0))) {
        fail(QStringLiteral("no window ") + a.value(0));
    } else if (is("open")) {
        m_windows.emplace_back(m_makers.contains(a.value(0)) ? m_makers.value(a.value(0))() : new QDialog);
        testing::showActive(m_windows.back().get());
    } else if (is("timer")) {
        m_timer.start();
    } else if (is("clear-clipboard")) {
        QApplication::clipboard()->clear();
    } else if (is("write")) {
        QFile file(m_ledger->path(a.value(0)));
        if (!file.open(QIODevice::WriteOnly) || file.write(a.value(1).toUtf8()) < 0)
            return fail(QStringLiteral("cannot write ") + a.value(0));
        file.close();
        if (a.size() > 2)
            ::chmod(QFile::encodeName(file.fileName()).constData(), mode_t(a.at(2).toUInt(nullptr, 8)));
    } else if (is("range")) {
        act(QStringLiteral("click"), { QStringLiteral("chkrange_3") });
        act(QStringLiteral("type"), { QStringLiteral("str_begin"), a.value(0) });
        act(QStringLiteral("type"), { QStringLiteral("str_end"), a.value(1) });
        const bool simple = a.value(2) == QLatin1String("simple");
        act(QStringLiteral("click"), { simple ? QStringLiteral("chk_mon_easy") : QStringLiteral("chk_mon_detail") });
        act(QStringLiteral("click"), { QStringLiteral("chk_month") });
    } else if (is("year")) {
        act(QStringLiteral("click"), { QStringLiteral("chk_year") });
        act(QStringLiteral("type"), { QStringLiteral("chkyeartxt"), a.value(0) });
        act(QStringLiteral("click"), { QStringLiteral("chk_year_go") });
    } else if (is("close")) {
        find(QStringLiteral("window"))->close();
    } else if (is("answer")) {
        for (const QString &answer : a) {
            if (answer == QLatin1String("yes") || answer == QLatin1String("no"))
                m_boxes.answer(answer == QLatin1String("yes"));
            else
                m_boxes.choose(answer.toInt());
        }
    } else if (is("modal")) {
        m_modalSteps.append(QList<QStringList>());
        m_recording = &m_modalSteps.last();
        m_modal.next([this, name = a.value(0), which = m_modalSteps.size() - 1](QDialog *dialog) {
            if (dialog->objectName() != name)
                return fail(QStringLiteral("window %1 shown instead of %2").arg(dialog->objectName(), name));
            m_dialogs.append(dialog);
            ++m_modalsPlayed;
            for (const QStringList &words : m_modalSteps.at(which)) {
                if (!m_failed)
                    step(words);
            }
            m_dialogs.removeAll(QPointer<QWidget>(dialog));
        });
    } else if (is("fail") && a.value(0) == QLatin1String("off")) {
        Set_Statement_Hook({});
    } else if (is("fail")) {
        const int nth = a.size() > 1 ? a.at(0).toInt() : 0;
        Set_Statement_Hook([seen = 0, nth, text = a.value(a.size() - 1)](const QString &) mutable {
            if (nth == 0 || ++seen == nth)
                throw StoreError(text);
        });
    } else if (is("watch")) {
        Set_Statement_Hook([this, word = a.value(0)](const QString &sql) {
            if (sql.contains(word))
                m_statements << sql.section(QLatin1Char(' '), 0, 0).toUpper();
        });
    } else if (is("save-as")) {
        const QString answer = a.value(0).isEmpty() ? QString() : m_ledger->path(a.value(0));
        ui::setSaveFileHook([this, answer](const QString &proposed) {
            m_proposed = proposed;
            return answer;
        });
    } else {
        actOn(verb, a);
    }
}

void Scenario::actOn(const QString &verb, const QStringList &a)
{
    QWidget *w = find(a.value(0));
    if (!w)
        return;
    const QString text = a.value(1);
    const auto is = [&verb](const char *name) { return verb == QLatin1String(name); };
    if (is("focus")) {
        // The focus, and so a key's shortcut, is only in the active window.
        w->window()->activateWindow();
        testing::showActive(w->window());
        w->setFocus();
    } else if (is("type")) {
        if (auto *combo = qobject_cast<QComboBox *>(w))
            w = combo->lineEdit();
        if (auto *edit = qobject_cast<QLineEdit *>(w))
            return testing::retype(edit, text);
        testing::click(w);
        if (auto *box = qobject_cast<ui::RichTextBox *>(w))
            box->selectAll();
        QTest::keyClick(w, Qt::Key_Delete);
        testing::typeText(w, text);
    } else if (is("append")) {
        testing::typeText(w, text);
    } else if (is("key")) {
        for (const QString &name : a.mid(1)) {
            const QKeySequence keys = QKeySequence::fromString(name);
            if (keys.isEmpty())
                return fail(QStringLiteral("no key ") + name);
            QTest::keyClick(find(a.value(0)), keys[0].key(), keys[0].keyboardModifiers());
            QTest::qWait(0);
        }
    } else if (is("click") || is("dclick")) {
        clickAt(w, a.size() > 1 ? text.toInt() : -1,
            a.value(2) == QLatin1String("shift") ? Qt::ShiftModifier : Qt::NoModifier, is("dclick"));
    } else if (is("set")) {
        if (auto *combo = qobject_cast<QComboBox *>(w))
            combo->setEditText(text);
        else if (auto *box = qobject_cast<ui::RichTextBox *>(w))
            box->setText(text);
        else if (auto *edit = qobject_cast<QLineEdit *>(w))
            edit->setText(text);
    } else if (is("pick")) {
        if (auto *combo = qobject_cast<QComboBox *>(w))
            combo->setCurrentIndex(text.toInt());
    } else if (is("menu")) {
        auto *grid = qobject_cast<DGrid *>(w);
        const QString caption = a.value(2);
        // The menu runs its own event loop: play it from a timer until it has shown.
        auto *timer = new QTimer(grid);
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, timer, [this, caption, timer, tries = 0]() mutable {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu && ++tries < 500)
                return;
            timer->deleteLater();
            timer->stop();
            if (!menu)
                return fail(QStringLiteral("no menu"));
            for (QAction *action : menu->actions()) {
                if (!action->isSeparator() && action->text() == caption) {
                    menu->setActiveAction(action);
                    QTest::keyClick(menu, Qt::Key_Return);
                    return;
                }
            }
            menu->close();
            fail(QStringLiteral("no menu item ") + caption);
        });
        timer->start();
        const QPointer<QTimer> playing(timer);
        const QRect cell = grid->visualRect(grid->model()->index(text.toInt() - grid->fixedRows(), grid->fixedCols()));
        QWidget *top = grid->window();
        QTest::mouseClick(
            top->windowHandle(), Qt::RightButton, Qt::NoModifier, grid->viewport()->mapTo(top, cell.center()));
        QTRY_VERIFY_WITH_TIMEOUT(!playing || !playing->isActive(), 6000);
    } else {
        fail(QStringLiteral("no step ") + verb);
    }
}

void Scenario::check(const QString &what, const QStringList &a)
{
    const auto is = [&what](const char *name) { return what == QLatin1String(name); };
    if (is("boxes")) {
        const QStringList shownTexts = m_boxes.take();
        QStringList expected = a;
        const QMap<QString, QString> refusalTexts { { "badDate", refusals::badDate },
            { "badBegin", refusals::badBegin }, { "badEnd", refusals::badEnd }, { "badYear", refusals::badYear },
            { "badAmountOnLeaving", refusals::badAmountOnLeaving },
            { "badAmountOnAdding", refusals::badAmountOnAdding } };
        for (QString &text : expected)
            text = refusalTexts.value(text, text);
        return expectEqual(QStringLiteral("boxes"), shownTexts, expected);
    }
    if (is("entries") || is("notes")) {
        const QString columnsFrom = is("notes") ? QStringLiteral("a_date, a_note FROM data_note ORDER BY a_date")
                                                : a.value(0) + QStringLiteral(" FROM data_main ORDER BY a_key");
        return check(QStringLiteral("sql"),
            QStringList { QStringLiteral("SELECT ") + columnsFrom } + a.mid(is("notes") ? 0 : 1));
    }
    if (is("sql")) {
        QStringList rows;
        try {
            for (const QVariantList &row : m_ledger->rows(a.value(0))) {
                QStringList cells;
                for (const QVariant &v : row)
                    cells << shown(v);
                rows << cells.join(QLatin1Char('|'));
            }
        } catch (const StoreError &e) {
            rows << e.message();
        }
        return expectEqual(a.value(0), rows, a.mid(1));
    }
    if (is("skinds"))
        return expectEqual(QStringLiteral("SKinds.txt"), { QString::fromUtf8(m_ledger->readSKinds()) }, { a.value(0) });
    if (is("table")) {
        QStringList ids;
        for (qint64 id : SKinds)
            ids << QString::number(id);
        return expectEqual(QStringLiteral("summary kinds"), ids, a);
    }
    if (is("file")) {
        QFile file(m_ledger->path(a.value(0)));
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
        const bool mark = bytes.startsWith("\xEF\xBB\xBF");
        const QString content
            = (mark ? QStringLiteral("\uFEFF") : QString()) + QString::fromUtf8(bytes.mid(mark ? 3 : 0));
        return expectEqual(a.value(0), { content }, { a.value(1) });
    }
    if (is("statements"))
        return expectEqual(what, std::exchange(m_statements, {}), a);
    if (is("clipboard"))
        return expectEqual(what, { QApplication::clipboard()->text() }, { a.value(0) });
    if (is("cpu-ms-below")) {
        if (m_timer.elapsedMs() >= a.value(0).toDouble())
            fail(QStringLiteral("took %1 ms").arg(m_timer.elapsedMs()));
        return;
    }
    if (is("mode")) {
        struct stat st = {};
        const bool there = ::stat(QFile::encodeName(m_ledger->path(a.value(0))).constData(), &st) == 0;
        return expectEqual(
            what, { there ? QString::number(st.st_mode & 07777, 8) : QStringLiteral("<missing>") }, { a.value(1) });
    }
    if (is("files")) {
        QStringList names = QDir(m_ledger->folder()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
        names.removeIf([](const QString &n) { return n.startsWith(QLatin1String("db1.mdb")); });
        return expectEqual(what, names, a);
    }
    if (is("proposed"))
        return expectEqual(QStringLiteral("proposed"), { m_proposed },
            { a.value(0).startsWith(QLatin1String("~/")) ? QDir::home().filePath(a.value(0).mid(2)) : a.value(0) });
    static const QStringList named = { "visible", "count", "items", "row", "column" };
    QWidget *w = find(named.contains(what) ? a.value(0) : what.section(QLatin1Char('.'), 0, 0));
    if (!w)
        return;
    auto *grid = qobject_cast<DGrid *>(w);
    auto *list = qobject_cast<QListWidget *>(w);
    auto *combo = qobject_cast<QComboBox *>(w);
    const QStringList rest = a.mid(1);
    if (is("visible")) {
        expectEqual(QStringLiteral("visible"), { QString::fromLatin1(w->isVisible() ? "yes" : "no") }, rest);
    } else if (is("count")) {
        const int count = grid ? grid->rows() : list ? list->count() : combo ? combo->count() : -2;
        expectEqual(QStringLiteral("count"), { QString::number(count) }, rest);
    } else if (is("items")) {
        QStringList items;
        for (int i = 0; w->isVisible() && i < (list ? list->count() : combo ? combo->count() : 0); ++i)
            items << (list ? list->item(i)->text() : combo->itemText(i));
        expectEqual(QStringLiteral("items"), items, rest);
    } else if ((is("row") || is("column")) && grid) {
        // A row's cells after the fixed columns, or a column's after the fixed rows.
        const bool row = is("row");
        const int at = rest.value(0).toInt();
        QStringList cells;
        for (int i = row ? grid->fixedCols() : grid->fixedRows(); i < (row ? grid->cols() : grid->rows()); ++i)
            cells << (row ? grid->textAt(at, i) : grid->textAt(i, at));
        expectEqual(what + QLatin1Char(' ') + rest.value(0), cells, rest.mid(1));
    } else if (what.endsWith(QLatin1String(".checked"))) {
        auto *button = qobject_cast<QAbstractButton *>(w);
        expectEqual(what, { QString::fromLatin1(button && button->isChecked() ? "yes" : "no") }, a);
    } else if (a.size() <= 1) {
        expectEqual(what, { textOf(w) }, { a.value(0) });
    } else {
        fail(QStringLiteral("no check ") + what);
    }
}
