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
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextBrowser>

#include <functional>

class GuideTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eachWindowOpensItsPart()
    {
        TestLedger ledger;
        const std::initializer_list<std::pair<std::function<QWidget *()>, const char *>> windows = {
            { [] { return new Form1; }, "2. 主選單" }, { [] { return new input_keyin; }, "3. 帳目輸入（每日記帳）" },
            { [] { return new mang_kind; }, "5. 帳目種類管理和結算分類" }, { [] { return new check; }, "6. 查詢" },
            { [] { return new RecurringWindow; }, "9. 固定收支" }, { [] { return new DueWindow; }, "9. 固定收支" },
            { [] { return new BudgetWindow(QDate(2024, 5, 1)); }, "10. 預算" },
            { [] { return new InvoiceImport; }, "11. 匯入電子發票和銀行明細" }
        };
        for (const auto &[make, section] : windows) {
            std::unique_ptr<QWidget> window(make());
            testing::showActive(window.get());
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(), Qt::Key_F1);
            auto *guide = window->findChild<QDialog *>(QStringLiteral("guide"));
            QVERIFY2(guide != nullptr
                    && guide->findChild<QTextBrowser *>()->textCursor().block().text() == QString::fromUtf8(section),
                section);
        }
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
};

QUILLORY_TEST_MAIN(GuideTest)
#include "guide_test.moc"
