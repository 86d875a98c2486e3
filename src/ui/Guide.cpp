#include "ui/Guide.h"

#include "ui/Fonts.h"
#include "ui/MessageBox.h"
#include "ui/WindowFit.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace ui {

namespace {

const QString guideName = QStringLiteral("使用說明.md");

// F1 anywhere: the guide over the window it was pressed in.
class GuideKey : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent *>(event)->key() != Qt::Key_F1
            || !watched->isWidgetType())
            return QObject::eventFilter(watched, event);
        QWidget *window = static_cast<QWidget *>(watched)->window();
        if (window->objectName() == QLatin1String("guide"))
            return true;
        showGuide(window);
        return true;
    }
};

} // namespace

QString guidePath()
{
    const QString installed
        = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../share/quillory/") + guideName);
    if (QFile::exists(installed))
        return QDir::cleanPath(installed);
    return QStringLiteral(QUILLORY_SOURCE_DOCS) + QLatin1Char('/') + guideName;
}

QString guideSection(const QWidget *window)
{
    static const QHash<QString, QString> sections {
        { QStringLiteral("Form1"), QStringLiteral("2. 主選單") },
        { QStringLiteral("input_keyin"), QStringLiteral("3. 帳目輸入（每日記帳）") },
        { QStringLiteral("mang_kind"), QStringLiteral("5. 帳目種類管理和結算分類") },
        { QStringLiteral("check"), QStringLiteral("6. 查詢") },
        { QStringLiteral("chart_view"), QStringLiteral("7. 圖表") },
        { QStringLiteral("RecurringWindow"), QStringLiteral("9. 固定收支") },
        { QStringLiteral("RecurringEditor"), QStringLiteral("9. 固定收支") },
        { QStringLiteral("DueWindow"), QStringLiteral("9. 固定收支") },
        { QStringLiteral("BudgetWindow"), QStringLiteral("10. 預算") },
        { QStringLiteral("BudgetEditor"), QStringLiteral("10. 預算") },
        { QStringLiteral("InvoiceImport"), QStringLiteral("11. 匯入電子發票和銀行明細") },
        { QStringLiteral("StatementImport"), QStringLiteral("11. 匯入電子發票和銀行明細") },
    };
    return sections.value(window ? window->objectName() : QString(), QStringLiteral("Quillory 家庭記帳 使用說明"));
}

void showGuide(QWidget *window)
{
    QFile file(guidePath());
    if (!file.open(QIODevice::ReadOnly)) {
        showMessage(window, QStringLiteral("找不到使用說明：%1").arg(file.fileName()));
        return;
    }
    auto *guide = new QDialog(window, Qt::Window);
    guide->setObjectName(QStringLiteral("guide"));
    guide->setAttribute(Qt::WA_DeleteOnClose);
    guide->setWindowTitle(QStringLiteral("Quillory 使用說明"));
    auto *text = new QTextBrowser(guide);
    text->setObjectName(QStringLiteral("guideText"));
    text->setFont(mingFont(11));
    text->setOpenExternalLinks(true);
    // Its pictures of the windows are in images/ beside it.
    text->setSearchPaths({ QFileInfo(file).absolutePath() });
    text->document()->setMarkdown(QString::fromUtf8(file.readAll()));
    auto *layout = new QVBoxLayout(guide);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text);
    designedSize(guide, QSize(760, 600));
    guide->show();
    // The window's part at the top: its heading found, the view scrolled to it.
    const QString section = guideSection(window);
    for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next()) {
        if (block.text() != section)
            continue;
        QTextCursor at(block);
        text->setTextCursor(at);
        text->verticalScrollBar()->setValue(text->verticalScrollBar()->maximum());
        text->ensureCursorVisible();
        break;
    }
}

void installGuideKey(QApplication &app)
{
    app.installEventFilter(new GuideKey(&app));
}

} // namespace ui
