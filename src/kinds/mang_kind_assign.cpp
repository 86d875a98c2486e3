#include "kinds/mang_kind_assign.h"

#include "store/KindStore.h"
#include "ui/Fonts.h"
#include "ui/PushButton.h"
#include "ui/Twips.h"
#include "ui/WindowFit.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

mang_kind_assign::mang_kind_assign(const QString &deletedName, qint64 deletedId, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("mang_kind_assign"));
    setWindowTitle(QStringLiteral("請選擇"));
    setFont(ui::mingFont(12));

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(ui::mingFont(12));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ui::place(Label1, 120, 0, 2775, 855);

    // Choose-only: the entries can move only to a kind that exists.
    cob_kind = new QComboBox(this);
    cob_kind->setObjectName(QStringLiteral("cob_kind"));
    cob_kind->setFont(ui::mingFont(12));
    cob_kind->setEditable(false);
    cob_kind->setAccessibleName(QStringLiteral("接收帳目的種類"));
    ui::place(cob_kind, 600, 960, 1695, 360);

    cmd_ok = new ui::PushButton(QStringLiteral("ok"), this);
    cmd_ok->setObjectName(QStringLiteral("cmd_ok"));
    cmd_ok->setFont(ui::mingFont(12));
    cmd_ok->setAccessibleName(QStringLiteral("ok"));
    ui::place(cmd_ok, 960, 1560, 735, 375);

    new ui::WindowFit(this, 3045, 2145);
    setTabOrder(cob_kind, cmd_ok);
    connect(cmd_ok, &QPushButton::clicked, this, &QDialog::accept);

    Label1->setText(QStringLiteral("注意!!您所要刪除的種類,") + deletedName
        + QStringLiteral(",已經有關聯的資料,請選擇另一種類重建關聯!"));
    for (const KindStore::Kind &kind : KindStore::kindsByOrder()) {
        if (kind.id != deletedId)
            cob_kind->addItem(kind.name, kind.id);
    }
    if (cob_kind->count() > 0)
        cob_kind->setCurrentIndex(0);

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    cob_kind->setFocus();
}

qint64 mang_kind_assign::chosenKind() const
{
    if (cob_kind->count() == 0)
        return 0;
    const int index = result() == QDialog::Accepted && cob_kind->currentIndex() >= 0 ? cob_kind->currentIndex() : 0;
    return cob_kind->itemData(index).toLongLong();
}

int mang_kind_assign::choiceCount() const
{
    return cob_kind->count();
}
