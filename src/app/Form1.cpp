#include "app/Form1.h"

#include "app/AboutText.h"
#include "app/WindowOpeners.h"
#include "entry/input_keyin.h"
#include "platform/Clock.h"
#include "platform/DateText.h"
#include "recurring/DueWindow.h"
#include "recurring/RecurringWindow.h"
#include "reports/check.h"
#include "store/RecurringStore.h"
#include "store/database_access.h"
#include "ui/Fonts.h"
#include "ui/Guard.h"
#include "ui/Guide.h"
#include "ui/MessageBox.h"
#include "ui/Modal.h"
#include "ui/PushButton.h"
#include "ui/Twips.h"
#include "ui/WindowFit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

namespace {

ui::PushButton *menuButton(QWidget *parent, const char *name, const QString &caption, int top)
{
    auto *button = new ui::PushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(caption);
    ui::place(button, 1200, top, 1455, 375);
    return button;
}

const QString rocDatesKey = QStringLiteral("display/rocDates");

} // namespace

Form1::Form1(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quillory"));

    Input = menuButton(this, "Input", QStringLiteral("帳目輸入"), 480);
    Input->setFont(ui::mingFont(11.25));
    Input->setToolTip(QStringLiteral("輸入帳目及簡易查詢"));
    cmd_check = menuButton(this, "cmd_check", QStringLiteral("查詢"), 1080);
    cmd_check->setFont(ui::mingFont(11.25));
    Command1 = menuButton(this, "Command1", QStringLiteral("帳目種類管理"), 1680);
    cmd_recurring = menuButton(this, "cmd_recurring", QStringLiteral("固定收支"), 2280);
    cmd_recurring->setToolTip(QStringLiteral("每月的房租、水電、保險…設定一次，到期時列出來一次記入"));
    cmd_invoices = menuButton(this, "cmd_invoices", QStringLiteral("匯入…"), 2880);
    cmd_invoices->setToolTip(QStringLiteral("把電子發票檔或銀行、信用卡的明細檔記進帳本"));
    exit = menuButton(this, "exit", QStringLiteral("離開"), 3480);
    exit->setFont(ui::mingFont(12));
    cmd_about = menuButton(this, "cmd_about", QStringLiteral("關於我"), 4320);
    cmd_about->setFont(ui::mingFont(12));

    date_roc = new QCheckBox(QStringLiteral("日期以民國年顯示"), this);
    date_roc->setObjectName(QStringLiteral("date_roc"));
    date_roc->setAccessibleName(date_roc->text());
    date_roc->setToolTip(QStringLiteral("帳目、查詢結果和年報的日期寫成 113/5/1，不選則寫成 2024/5/1"));
    ui::place(date_roc, 1200, 4800, 2600, 375);
    date_roc->setChecked(QSettings().value(rocDatesKey, false).toBool());
    DateText::setRocShown(date_roc->isChecked());

    new ui::WindowFit(this, 3930, 5325);

    setTabOrder(Input, exit);
    setTabOrder(exit, Command1);
    setTabOrder(Command1, cmd_recurring);
    setTabOrder(cmd_recurring, cmd_invoices);
    setTabOrder(cmd_invoices, cmd_check);
    setTabOrder(cmd_check, cmd_about);
    setTabOrder(cmd_about, date_roc);

    connect(Input, &QPushButton::clicked, this, &Form1::openInput);
    connect(cmd_check, &QPushButton::clicked, this, &Form1::openCheck);
    connect(Command1, &QPushButton::clicked, this, &Form1::openKindManager);
    connect(cmd_recurring, &QPushButton::clicked, this, &Form1::openRecurring);
    connect(cmd_invoices, &QPushButton::clicked, this, &Form1::importInvoices);
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
    connect(cmd_about, &QPushButton::clicked, this, &Form1::showAbout);
    connect(date_roc, &QCheckBox::toggled, this, &Form1::showRocDates);

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    Input->setFocus();
}

void Form1::openInput()
{
    input_keyin window(this, windowOpeners());
    ui::showModal(&window);
}

void Form1::openCheck()
{
    check window(this, windowOpeners());
    ui::showModal(&window);
}

void Form1::openKindManager()
{
    windowOpeners().kindManager(this, pos() + QPoint(ui::twips(600), ui::twips(600)));
}

void Form1::openRecurring()
{
    RecurringWindow window(this);
    ui::showModal(&window);
}

void Form1::importInvoices()
{
    ui::guarded(this, [this] {
        const int chosen = ui::askChoice(this, QStringLiteral("要匯入哪一種檔案？"),
            { QStringLiteral("電子發票"), QStringLiteral("銀行或信用卡明細"), QStringLiteral("取消") });
        if (chosen == 0)
            windowOpeners().invoiceImport(this);
        else if (chosen == 1)
            windowOpeners().statementImport(this);
    });
}

void Form1::offerDueRecurring()
{
    ui::guarded(this, [this] {
        if (RecurringStore::due(Clock::today()).isEmpty())
            return;
        DueWindow window(this);
        ui::showModal(&window);
    });
}

void Form1::showAbout()
{
    // 使用說明 opens the guide at the main menu's part, as F1 does.
    if (ui::askChoice(this, aboutText(), { QStringLiteral("確定"), QStringLiteral("使用說明") }) == 1)
        ui::showGuide(this);
}

void Form1::showRocDates(bool roc)
{
    DateText::setRocShown(roc);
    QSettings settings;
    settings.setValue(rocDatesKey, roc);
    settings.sync();
}

void Form1::closeEvent(QCloseEvent *event)
{
    database_access::Close_DB();
    event->accept();
}
