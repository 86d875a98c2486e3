#include "reports/check.h"

#include "ui/AsciiInput.h"
#include "ui/Controls.h"
#include "ui/DGrid.h"
#include "ui/Fonts.h"
#include "ui/PushButton.h"
#include "ui/RichTextBox.h"
#include "ui/Twips.h"
#include "ui/WindowFit.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

namespace {

constexpr int clientWidth = 9435;
constexpr int clientHeight = 7155;

using ui::button;
using ui::frame;
using ui::named;
using ui::option;
using ui::textBox;

QLabel *label(QWidget *parent, const char *name, const QString &caption, int left, int top, int width, int height)
{
    QLabel *l = ui::label(parent, name, caption, left, top, width, height);
    // Captions sit at the top of their box, so a label taller than its text does not push
    // the text down past the controls beside it.
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

} // namespace

void check::createControls()
{
    Label2 = label(this, "Label2", QStringLiteral("類別"), 0, 120, 495, 255);
    kind = named(new QComboBox(this), "kind", QStringLiteral("類別"));
    ui::place(kind, 600, 120, 1335, 360);
    Label2->setBuddy(kind);

    Label5 = label(this, "Label5", QStringLiteral("帳目名稱"), 2040, 120, 1095, 255);
    account_name = textBox(this, "account_name", QStringLiteral("帳目名稱"), 3120, 60, 4575, 405);
    Label5->setBuddy(account_name);

    Label1 = label(this, "Label1", QString(), 8040, 0, 1335, 375);
    QFont clockFont(QStringLiteral("Arial"));
    clockFont.setPointSizeF(12);
    Label1->setFont(clockFont);
    Label1->setAlignment(Qt::AlignCenter);

    Frame2 = frame(this, "Frame2", QString(), 120, 480, 4815, 1095);
    chkrange_1 = option(Frame2, "chkrange_1", QStringLiteral("查詢本月初到目前"), 120, 240, 2175, 255);
    chkrange_2 = option(Frame2, "chkrange_2", QStringLiteral("查詢上個月"), 2760, 240, 1455, 255);
    chkrange_3 = option(Frame2, "chkrange_3", QStringLiteral("手動輸入"), 120, 600, 1215, 255);
    str_begin = textBox(Frame2, "str_begin", QStringLiteral("起始日期"), 1320, 600, 1455, 270);
    Label4 = label(Frame2, "Label4", QStringLiteral("～"), 2760, 600, 255, 255);
    Label4->setAlignment(Qt::AlignCenter);
    str_end = textBox(Frame2, "str_end", QStringLiteral("結束日期"), 3000, 600, 1455, 270);
    ui::readWideAsAscii(str_begin);
    ui::readWideAsAscii(str_end);

    Frame1 = frame(this, "Frame1", QStringLiteral("月查詢"), 5280, 600, 2655, 855);
    chk_month = button(Frame1, "chk_month", QStringLiteral("月查詢"), 240, 240, 1095, 375);
    chk_mon_easy = option(Frame1, "chk_mon_easy", QStringLiteral("簡易"), 1440, 120, 855, 300);
    chk_mon_detail = option(Frame1, "chk_mon_detail", QStringLiteral("詳細"), 1440, 480, 975, 255);
    chk_mon_easy->setChecked(true);

    chk_year = button(this, "chk_year", QStringLiteral("年查詢"), 8040, 840, 1095, 375);
    // In the free room between the clock and 年查詢.
    cmd_chart = button(this, "cmd_chart", QStringLiteral("圖表"), 8040, 420, 1095, 375);
    // Below 年查詢, above the grid.
    cmd_budget = button(this, "cmd_budget", QStringLiteral("預算"), 8040, 1260, 1095, 375);
    cmd_budget->setToolTip(QStringLiteral("各類別本月或今年的預算、實際支出和剩餘"));

    Frame3 = frame(this, "Frame3", QStringLiteral("fra_order"), 0, 1570, 4935, 375);
    Label6 = label(Frame3, "Label6", QStringLiteral("排序功能"), 120, 120, 975, 375);
    // Opaque, so the frame's own caption stays under the label and the buttons.
    Label6->setAutoFillBackground(true);
    cmd_stor_date = button(Frame3, "cmd_stor_date", QStringLiteral("日期"), 1080, 0, 735, 375);
    cmd_stor_kind = button(Frame3, "cmd_stor_kind", QStringLiteral("種類"), 1800, 0, 735, 375);
    cmd_stor_name = button(Frame3, "cmd_stor_name", QStringLiteral("帳目名"), 2520, 0, 735, 375);
    cmd_stor_account = button(Frame3, "cmd_stor_account", QStringLiteral("帳目"), 3240, 0, 735, 375);
    cmd_stor_note = button(Frame3, "cmd_stor_note", QStringLiteral("註解"), 3960, 0, 735, 375);

    DGrid = named(new ::DGrid(this), "DGrid", QStringLiteral("查詢結果"));
    m_gridTop = 1920;
    m_gridHeight = 3855;
    placeGrid();

    Frame_ChkYear = frame(this, "Frame_ChkYear", QString(), 3120, 2400, 2535, 1815);
    Label3 = label(Frame_ChkYear, "Label3", QStringLiteral("請輸入欲查詢年份"), 120, 240, 2295, 375);
    chkyeartxt = textBox(Frame_ChkYear, "chkyeartxt", QStringLiteral("請輸入欲查詢年份"), 600, 600, 1335, 615);
    chkyeartxt->setFont(ui::kaiFont(20, true));
    ui::readWideAsAscii(chkyeartxt);
    chkyeartxt->setAlignment(Qt::AlignCenter);
    Label3->setBuddy(chkyeartxt);
    chk_year_go = button(Frame_ChkYear, "chk_year_go", QStringLiteral("Go"), 120, 1320, 2295, 375);
    Frame_ChkYear->setVisible(false);

    msg_field = named(new ui::RichTextBox(this), "msg_field", QStringLiteral("訊息欄"));
    msg_field->setReadOnly(true);
    msg_field->setText(QStringLiteral("訊息欄"));
    // Its bottom edge stops at the window's: at the full 1455 twips it would reach 60 twips
    // past it, and the last line would be cut.
    ui::place(msg_field, 0, 5760, 9375, 1395);

    // The grid takes most of the room the window gains or loses, the message area the rest.
    m_fit = new ui::WindowFit(this, clientWidth, clientHeight);
    m_fit->follow(DGrid, { 0, 1, 0, 0.75 }, QSize(200, 80));
    m_fit->follow(msg_field, { 0, 1, 0.75, 0.25 }, QSize(200, 40));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(200);

    orderTabs();
}

void check::orderTabs()
{
    const QList<QWidget *> order = { kind, account_name, chkrange_1, chkrange_2, chkrange_3, str_begin, str_end,
        chk_month, chk_mon_easy, chk_mon_detail, chk_year, cmd_chart, cmd_budget, cmd_stor_date, cmd_stor_kind,
        cmd_stor_name, cmd_stor_account, cmd_stor_note, chkyeartxt, chk_year_go, DGrid, msg_field };
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
}

void check::placeGrid()
{
    if (m_fit != nullptr)
        m_fit->redesign(DGrid, 0, m_gridTop, 9375, m_gridHeight);
    else
        ui::place(DGrid, 0, m_gridTop, 9375, m_gridHeight);
}
