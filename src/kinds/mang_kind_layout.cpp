// The controls of the kind manager: where they sit, their captions, fonts and tab order.
#include "kinds/mang_kind.h"

#include "ui/Controls.h"
#include "ui/Fonts.h"
#include "ui/PushButton.h"
#include "ui/Twips.h"
#include "ui/WindowFit.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace {

// Every control sets its own size of the Ming face: the frame's smaller one is not passed on.
template <typename Control> Control *sized(Control *control, double pointSize)
{
    control->setFont(ui::mingFont(pointSize));
    return control;
}

QListWidget *list(
    QWidget *parent, const char *name, const QString &accessibleName, int left, int top, int width, int height)
{
    auto *control = sized(ui::named(new QListWidget(parent), name, accessibleName), 12);
    control->setSelectionMode(QAbstractItemView::SingleSelection);
    control->setSortingEnabled(false);
    ui::place(control, left, top, width, height);
    return control;
}

} // namespace

void mang_kind::buildControls()
{
    setObjectName(QStringLiteral("mang_kind"));
    setWindowTitle(QStringLiteral("Kind Manager"));
    setFont(ui::mingFont(12));

    kind_name = sized(ui::textBox(this, "kind_name", QStringLiteral("種類名稱"), 720, 360, 1455, 375), 12);
    kind_add = sized(ui::button(this, "kind_add", QStringLiteral("ADD"), 2280, 120, 855, 375), 12);
    kind_modify = sized(ui::button(this, "kind_modify", QStringLiteral("修改"), 2280, 600, 855, 375), 12);

    Frame1 = sized(ui::frame(this, "Frame1", QStringLiteral("刪除及結算分類管理"), 240, 1080, 6255, 3975), 11.25);

    Label1 = sized(ui::label(Frame1, "Label1", QStringLiteral("帳目種類列表"), 720, 480, 1575, 375), 12);
    kind = list(Frame1, "kind", QStringLiteral("帳目種類列表"), 240, 840, 2415, 2460);
    cmd_up = sized(ui::button(Frame1, "cmd_up", QStringLiteral("上移"), 2760, 1440, 615, 495), 11.25);
    cmd_down = sized(ui::button(Frame1, "cmd_down", QStringLiteral("下移"), 2760, 1920, 615, 495), 11.25);
    Label2 = sized(ui::label(Frame1, "Label2", QStringLiteral("結算分類"), 4200, 480, 1095, 375), 12);
    skinds = list(Frame1, "skinds", QStringLiteral("結算分類"), 3480, 840, 2535, 2460);
    kind_del = sized(ui::button(Frame1, "kind_del", QStringLiteral("刪除"), 840, 3480, 1215, 375), 12);

    Label1->setBuddy(kind);
    Label2->setBuddy(skinds);

    new ui::WindowFit(this, 6750, 5250);

    setTabOrder(kind_name, kind_add);
    setTabOrder(kind_add, kind_modify);
    setTabOrder(kind_modify, kind);
    setTabOrder(kind, cmd_up);
    setTabOrder(cmd_up, cmd_down);
    setTabOrder(cmd_down, skinds);
    setTabOrder(skinds, kind_del);
}
