// F1 in each window shows the guide at that window's part, and every date and amount the guide
// lists is taken by the fields.
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include "app/Form1.h"
#include "entry/input_keyin.h"
#include "imports/InvoiceImport.h"
#include "kinds/mang_kind.h"
#include "platform/DateText.h"
#include "platform/Numbers.h"
#include "recurring/DueWindow.h"
#include "recurring/RecurringWindow.h"
#include "reports/BudgetWindow.h"
#include "reports/check.h"
#include "ui/Guide.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextBrowser>

#include <functional>
#include <tuple>

using Maker = std::function<QWidget *()>;
Q_DECLARE_METATYPE(Maker)

class GuideTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eachWindowOpensItsPart_data()
    {
        QTest::addColumn<Maker>("make");
        QTest::addColumn<QString>("section");
        const std::initializer_list<std::tuple<const char *, Maker, const char *>> windows = {
            { "menu", [] { return new Form1; }, "2. 主選單" },
            { "daily entry", [] { return new input_keyin; }, "3. 帳目輸入（每日記帳）" },
            { "kinds", [] { return new mang_kind; }, "5. 帳目種類管理和結算分類" },
            { "query", [] { return new check; }, "6. 查詢" },
            { "recurring", [] { return new RecurringWindow; }, "9. 固定收支" },
            { "due", [] { return new DueWindow; }, "9. 固定收支" },
            { "budgets", [] { return new BudgetWindow(QDate(2024, 5, 1)); }, "10. 預算" },
            { "invoices", [] { return new InvoiceImport; }, "11. 匯入電子發票和銀行明細" },
        };
        for (const auto &[name, make, section] : windows)
            QTest::newRow(name) << make << QString::fromUtf8(section);
    }

    void eachWindowOpensItsPart()
    {
        QFETCH(Maker, make);
        QFETCH(QString, section);
        TestLedger ledger;
        std::unique_ptr<QWidget> window(make());
        testing::showActive(window.get());
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(), Qt::Key_F1);
        auto *guide = window->findChild<QDialog *>(QStringLiteral("guide"));
        QVERIFY(guide != nullptr);
        QCOMPARE(guide->findChild<QTextBrowser *>()->textCursor().block().text(), section);
    }

    // The dates and amounts the guide writes as forms to type (in `…`) are taken.
    void everyFormTheGuideListsIsTaken()
    {
        QFile file(ui::guidePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString guide = QString::fromUtf8(file.readAll());
        const auto forms = [&guide](const char *from, const char *to) {
            const QString part = guide.section(QString::fromUtf8(from), 1).section(QString::fromUtf8(to), 0, 0);
            QStringList out;
            for (const QRegularExpressionMatch &m : QRegularExpression(QStringLiteral("`([^`]+)`")).globalMatch(part))
                out << m.captured(1);
            return out;
        };
        const QStringList dates = forms("**日期**", "**金額**");
        const QStringList amounts = forms("**金額**", "## 5.");
        QCOMPARE(dates.size(), 14);
        QCOMPARE(amounts.size(), 9);
        for (const QString &date : dates)
            QVERIFY2(DateText::read(date).has_value(), qPrintable(date));
        for (const QString &amount : amounts)
            QVERIFY2(Numbers::plainAmount(amount).has_value(), qPrintable(amount));
    }

    // Every picture the guide shows is drawn: a renamed or forgotten one would leave a hole.
    void everyPictureIsThere()
    {
        QFile file(ui::guidePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QRegularExpression picture(QStringLiteral("!\\[[^]]*\\]\\(([^)]+)\\)"));
        int pictures = 0;
        for (const QRegularExpressionMatch &m : picture.globalMatch(QString::fromUtf8(file.readAll()))) {
            QVERIFY2(!QImage(QFileInfo(file).dir().filePath(m.captured(1))).isNull(), qPrintable(m.captured(1)));
            ++pictures;
        }
        QVERIFY(pictures >= 9);
    }
};

QUILLORY_TEST_MAIN(GuideTest)
#include "guide_test.moc"
