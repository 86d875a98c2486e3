// The controls of the kind manager: where they sit, their captions, fonts and tab order.
#include "kinds/mang_kind.h"

#include "ui/Fonts.h"
#include "ui/PushButton.h"
#include "ui/Twips.h"
#include "ui/WindowFit.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace {

template <typename Control> Control *named(Control *control, const char *name, double pointSize)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setFont(ui::mingFont(pointSize));
    return control;
}

ui::PushButton *button(QWidget *parent, const char *name, const QString &caption, double pointSize)
{
    auto *control = named(new ui::PushButton(caption, parent), name, pointSize);
    control->setAccessibleName(caption);
    return control;
}

QListWidget *list(QWidget *parent, const char *name, const QString &accessibleName)
{
    auto *control = named(new QListWidget(parent), name, 12);
    control->setAccessibleName(accessibleName);
    control->setSelectionMode(QAbstractItemView::SingleSelection);
    control->setSortingEnabled(false);
    return control;
}

} // namespace

void mang_kind::buildControls()
{
    setObjectName(QStringLiteral("mang_kind"));
    setWindowTitle(QStringLiteral("Kind Manager"));
    setFont(ui::mingFont(12));

    kind_name = named(new QLineEdit(this), "kind_name", 12);
    kind_name->setAccessibleName(QStringLiteral("種類名稱"));
    ui::place(kind_name, 720, 360, 1455, 375);

    kind_add = button(this, "kind_add", QStringLiteral("ADD"), 12);
    ui::place(kind_add, 2280, 120, 855, 375);
    kind_modify = button(this, "kind_modify", QStringLiteral("修改"), 12);
    ui::place(kind_modify, 2280, 600, 855, 375);

    Frame1 = named(new QGroupBox(QStringLiteral("刪除及結算分類管理"), this), "Frame1", 11.25);
    ui::place(Frame1, 240, 1080, 6255, 3975);

    Label1 = named(new QLabel(QStringLiteral("帳目種類列表"), Frame1), "Label1", 12);
    ui::place(Label1, 720, 480, 1575, 375);
    kind = list(Frame1, "kind", QStringLiteral("帳目種類列表"));
    ui::place(kind, 240, 840, 2415, 2460);
    cmd_up = button(Frame1, "cmd_up", QStringLiteral("上移"), 11.25);
    ui::place(cmd_up, 2760, 1440, 615, 495);
    cmd_down = button(Frame1, "cmd_down", QStringLiteral("下移"), 11.25);
    ui::place(cmd_down, 2760, 1920, 615, 495);
    Label2 = named(new QLabel(QStringLiteral("結算分類"), Frame1), "Label2", 12);
    ui::place(Label2, 4200, 480, 1095, 375);
    skinds = list(Frame1, "skinds", QStringLiteral("結算分類"));
    ui::place(skinds, 3480, 840, 2535, 2460);
    kind_del = button(Frame1, "kind_del", QStringLiteral("刪除"), 12);
    ui::place(kind_del, 840, 3480, 1215, 375);

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
