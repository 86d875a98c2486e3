#include "entry/input_keyin.h"

#include "ui/AsciiInput.h"
#include "ui/Controls.h"
#include "ui/DGrid.h"
#include "ui/Fonts.h"
#include "ui/PushButton.h"
#include "ui/RichTextBox.h"
#include "ui/Twips.h"
#include "ui/WindowFit.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {

using ui::button;
using ui::label;
using ui::named;

struct Column
{
    const char *header;
    int width;
};

// The grid's columns: a narrow fixed column, then one per field of an entry.
const Column gridColumns[] = {
    { "", 300 },
    { "日期", 1300 },
    { "種類", 1200 },
    { "收支", 1000 },
    { "內容", 2000 },
    { "數目", 1000 },
    { "備註", 3000 },
};

} // namespace

void input_keyin::buildLayout()
{
    setObjectName(QStringLiteral("input_keyin"));
    setWindowTitle(QStringLiteral("資料新增"));
    setFont(ui::mingFont(11.25));
    setGeometry(ui::twipsRect(2835, 3225, 9510, 4965));

    const QFont field = ui::mingFont(12);
    const QFont heading = ui::kaiFont(14.25, true);

    Label1 = label(this, "Label1", QStringLiteral("日期"), 120, 0, 615, 255);
    Label1->setFont(field);
    date_new = ui::textBox(this, "date_new", QStringLiteral("日期"), 720, 0, 1575, 315);
    date_new->setFont(field);
    ui::readWideAsAscii(date_new);
    Label7 = label(this, "Label7", QString(), 2280, 0, 735, 375);
    Label7->setFont(heading);
    Label2 = label(this, "Label2", QStringLiteral("類別"), 3000, 0, 495, 255);
    kind = named(new QComboBox(this), "kind", QStringLiteral("類別"));
    kind->setEditable(true);
    kind->setInsertPolicy(QComboBox::NoInsert);
    kind->setFont(field);
    ui::place(kind, 3600, 0, 1335, 360);
    kind_man = button(this, "kind_man", QStringLiteral("類別管理"), 4920, 120, 1095, 255);
    kind_man->setFont(ui::mingFont(9));
    budget_left = label(this, "budget_left", QString(), 6120, 60, 3300, 300);
    budget_left->setFont(ui::mingFont(9));

    Label3 = label(this, "Label3", QStringLiteral("帳目名稱"), 0, 480, 1095, 255);
    Label3->setFont(field);
    account_name = ui::textBox(this, "account_name", QStringLiteral("帳目名稱"), 1080, 480, 4335, 375);
    account_name->setFont(field);
    inout = named(new QComboBox(this), "inout", QStringLiteral("收支"));
    ui::place(inout, 5760, 480, 975, 345);
    money_inout = ui::textBox(this, "money_inout", QStringLiteral("金額（元）"), 6960, 480, 975, 375);
    ui::readWideAsAscii(money_inout);
    Label5 = label(this, "Label5", QStringLiteral("元"), 8040, 600, 255, 255);

    Label4 = label(this, "Label4", QStringLiteral("註解"), 0, 840, 615, 255);
    Label4->setFont(field);
    note_one = ui::textBox(this, "note_one", QStringLiteral("註解"), 1080, 840, 6495, 375);
    note_one->setFont(field);

    data_add = button(this, "data_add", QStringLiteral("新增"), 360, 1440, 1215, 375);
    data_modifty = button(this, "data_modifty", QStringLiteral("修改"), 2040, 1440, 1215, 375);
    data_del = button(this, "data_del", QStringLiteral("刪除"), 3720, 1440, 1335, 375);
    Label6 = label(this, "Label6", QString(), 5280, 1440, 2775, 375);
    Label6->setFont(heading);
    data_exit = button(this, "data_exit", QStringLiteral("離開"), 8280, 1440, 1215, 375);

    DGrid = named(new ::DGrid(this), "DGrid", QStringLiteral("當天帳目"));
    ui::place(DGrid, 0, 1920, 9135, 2295);
    {
        ::DGrid::Bulk bulk(DGrid);
        DGrid->setCols(7);
        DGrid->setRows(2);
        DGrid->setFixedRows(1);
        DGrid->setFixedCols(1);
        for (int c = 0; c < 7; ++c) {
            DGrid->setTextAt(0, c, QString::fromUtf8(gridColumns[c].header));
            DGrid->setColWidth(c, gridColumns[c].width);
        }
        DGrid->setRow(0);
    }

    // The move buttons are narrower than their caption, so it stands in two lines.
    cmd_up_down[0] = button(this, "cmd_up_down", QStringLiteral("上\n移"), 9120, 2280, 375, 615);
    cmd_up_down[0]->setAccessibleName(QStringLiteral("上移"));
    cmd_up_down[1] = button(this, "cmd_up_down", QStringLiteral("下\n移"), 9120, 2880, 375, 615);
    cmd_up_down[1]->setAccessibleName(QStringLiteral("下移"));
    for (int i = 0; i < 2; ++i)
        cmd_up_down[i]->setProperty("index", i);

    note_day = named(new ui::RichTextBox(this), "note_day", QStringLiteral("日註解"));
    note_day->setFont(field);
    note_day->setToolTip(QStringLiteral("日註解請寫在此! 輸入完畢後請按tab鍵即可存檔"));
    ui::place(note_day, 0, 4200, 9135, 735);

    // The grid takes most of the room the window gains or loses, the day's note the rest;
    // the move buttons stay at the grid's right edge.
    auto *fit = new ui::WindowFit(this, 9510, 4965);
    fit->follow(DGrid, { 0, 1, 0, 0.7 }, QSize(200, 80));
    fit->follow(note_day, { 0, 1, 0.7, 0.3 }, QSize(200, 30));
    for (ui::PushButton *b : cmd_up_down)
        fit->follow(b, { 1, 0, 0, 0 }, b->size());

    const QList<QWidget *> tabOrder = { date_new, kind, account_name, inout, money_inout, note_one, data_add,
        data_modifty, data_del, note_day, data_exit, kind_man, DGrid, cmd_up_down[0], cmd_up_down[1] };
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder.at(i - 1), tabOrder.at(i));
}
