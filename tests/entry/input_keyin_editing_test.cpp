// The daily-entry window played from the scenarios beside this file; and very long day notes
// and descriptions: shown at once, whatever their length, and saved back exactly as they were
// and as they were edited.

#include "support/Scenario.h"

#include "app/WindowOpeners.h"
#include "entry/EntryWindow.h"

#include <QClipboard>
#include <QTextBlock>

namespace {

// A note of about length characters in one line: Chinese, Latin, digits and a character
// outside the basic plane, so that pieces may have to join inside a surrogate pair.
QString oneLine(qsizetype length)
{
    const QString part = QStringLiteral("今天在市場買菜，花了 120 元 abc 😀");
    QString line;
    line.reserve(length + part.size());
    while (line.size() < length)
        line += part;
    line.truncate(length);
    if (line.back().isHighSurrogate())
        line.chop(1);
    return line;
}

void cursorAt(input_keyin *w, int shownPosition)
{
    testing::click(w->note_day);
    QTextCursor cursor = w->note_day->textCursor();
    cursor.setPosition(shownPosition);
    w->note_day->setTextCursor(cursor);
}

// Puts the cursor at a place of the note as it is saved: pieces add one place per join before it.
void placeCursor(input_keyin *w, int place)
{
    int shown = place;
    for (QTextBlock b = w->note_day->document()->begin(); b.isValid(); b = b.next())
        shown += b.userState() == 1 && b.position() <= shown ? 1 : 0;
    cursorAt(w, shown);
}

// The paragraph that starts the n-th piece continuing a line (from 1); n joins lie before it, so
// it begins at its position less n in the saved note.
QTextBlock pieceStart(input_keyin *w, int n)
{
    for (QTextBlock b = w->note_day->document()->begin(); b.isValid(); b = b.next()) {
        if (b.userState() == 1 && --n == 0)
            return b;
    }
    return {};
}

} // namespace

class EntryScenarios : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void play_data() { Scenario::addRows(__FILE__); }
    void play()
    {
        Scenario s;
        const ui::Openers openers = windowOpeners();
        s.window(QStringLiteral("entry"), [&openers] { return new input_keyin(nullptr, openers); });
        // A day and entry taken from a query result, as the query window hands them over.
        s.command(QStringLiteral("show-entry"), [](Scenario &sc, const QStringList &a) {
            auto *w = qobject_cast<input_keyin *>(sc.find(QStringLiteral("input_keyin")));
            if (w && !w->showEntry(QDate::fromString(a.value(0), Qt::ISODate), a.value(1).toLongLong()))
                sc.fail(QStringLiteral("entry not shown"));
        });
        s.run();
    }

    void aLongNoteAndDescriptionShowAtOnceAndStayWhole()
    {
        EntryWindow s;
        const QString note = oneLine(2000000);
        const QString description = oneLine(5000000);
        s.ledger.setDayNote(QStringLiteral("2024-05-14"), note);
        s.ledger.addEntry("2024-05-13", s.food, 0, description, 120, "", 1);
        input_keyin *w = s.open();
        // From the arrow key that shows the day before until it is painted.
        const auto showPreviousDay = [w] {
            w->date_new->setFocus();
            testing::CpuTimer timer;
            timer.start();
            QTest::keyClick(w->date_new, Qt::Key_Up);
            w->repaint();
            QCoreApplication::processEvents();
            qInfo("shown in %.1f ms", timer.elapsedMs());
            return timer.elapsedMs();
        };

        // The note, visited and left, is saved as it was.
        QVERIFY(showPreviousDay() < 400);
        QVERIFY(w->note_day->text() == note);
        testing::click(w->note_day);
        QTest::keyClick(w->note_day, Qt::Key_Tab);
        QVERIFY(s.notes().first().at(1).toString() == note);

        QVERIFY(showPreviousDay() < 100);
        // The cell shows the beginning; the grid holds all of it, for copying and exporting.
        const QString shown = w->DGrid->model()->index(0, 4).data().toString();
        QVERIFY2(shown.size() < 2000 && shown.endsWith(QChar(0x2026)) && description.startsWith(shown.chopped(1)),
            qPrintable(shown.left(40)));
        QVERIFY(w->DGrid->textAt(1, 4) == description);
        // Clicked, the row's whole description is in the field, and a corrected amount keeps it.
        s.clickRow(1);
        QVERIFY(w->account_name->text() == description);
        testing::retype(w->money_inout, "130");
        s.press(w->data_modifty);
        QVERIFY(s.entries().first().at(3).toString() == description);
        QCOMPARE(s.entries().first().at(4).toDouble(), 130.0);
        QCOMPARE(s.boxes.texts(), QStringList());
    }

    void editingALongNoteSavesWhatWasTyped()
    {
        EntryWindow s;
        QString expected = oneLine(40000); // longer than the 32,767 characters a field once kept
        s.ledger.setDayNote(QStringLiteral("2024-05-15"), expected);
        input_keyin *w = s.open();
        const int join = int(ui::RichTextBox::pieceLength);

        // A copy hands on the line as it is: two joins lie inside shown places 990 to 2010.
        cursorAt(w, 990);
        QTextCursor cursor = w->note_day->textCursor();
        cursor.setPosition(2010, QTextCursor::KeepAnchor);
        w->note_day->setTextCursor(cursor);
        w->note_day->copy();
        QVERIFY(QApplication::clipboard()->text() == expected.mid(990, 2008 - 990));

        // Typing inside a piece and at a join.
        placeCursor(w, 1500);
        testing::typeText(w->note_day, QStringLiteral("啊"));
        expected.insert(1500, QStringLiteral("啊"));
        placeCursor(w, join);
        testing::typeText(w->note_day, QStringLiteral("Z"));
        expected.insert(join, QStringLiteral("Z"));
        QTest::keyClick(w->note_day, Qt::Key_Tab);
        QVERIFY(s.notes().first().at(1).toString() == expected);

        // Backspace right after a join and Delete right before one take the character beyond it.
        QTextBlock piece = pieceStart(w, 2);
        QVERIFY(piece.isValid());
        int place = piece.position() - 2;
        cursorAt(w, piece.position());
        QTest::keyClick(w->note_day, Qt::Key_Backspace);
        // A character beyond the basic plane goes whole.
        const bool pairBefore = expected.at(place - 1).isLowSurrogate();
        expected.remove(pairBefore ? place - 2 : place - 1, pairBefore ? 2 : 1);
        piece = pieceStart(w, 3);
        QVERIFY(piece.isValid());
        place = piece.position() - 3;
        cursorAt(w, piece.position() - 1);
        QTest::keyClick(w->note_day, Qt::Key_Delete);
        expected.remove(place, expected.at(place).isHighSurrogate() ? 2 : 1);
        // Enter inside a piece is a line end of the note.
        placeCursor(w, 4100);
        QTest::keyClick(w->note_day, Qt::Key_Return);
        expected.insert(4100, QLatin1Char('\n'));
        QTest::keyClick(w->note_day, Qt::Key_Tab);
        QVERIFY(s.notes().first().at(1).toString() == expected);
        QVERIFY(w->note_day->text() == expected);
        w->note_day->selectAll();
        w->note_day->copy();
        QVERIFY(QApplication::clipboard()->text() == expected);

        // Replacing it all with a short note leaves no trace of the pieces.
        testing::click(w->note_day);
        w->note_day->selectAll();
        testing::typeText(w->note_day, QStringLiteral("短的"));
        QTest::keyClick(w->note_day, Qt::Key_Tab);
        QCOMPARE(s.notes(), QList<QVariantList>({ { "2024-05-15", "短的" } }));
        QCOMPARE(s.boxes.texts(), QStringList());
    }
};

QUILLORY_TEST_MAIN(EntryScenarios)
#include "input_keyin_editing_test.moc"
