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

mang_kind_assign::mang_kind_assign(const QString &deletedName, qint64 deletedId, qint64 entries, QWidget *parent)
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

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(ui::mingFont(12));
    Label2->setWordWrap(true);
    ui::place(Label2, 120, 1440, 2775, 375);

    cmd_ok = new ui::PushButton(QStringLiteral("ok"), this);
    cmd_ok->setObjectName(QStringLiteral("cmd_ok"));
    cmd_ok->setFont(ui::mingFont(12));
    cmd_ok->setAccessibleName(QStringLiteral("ok"));
    ui::place(cmd_ok, 600, 1920, 735, 375);

    cmd_cancel = new ui::PushButton(QStringLiteral("取消"), this);
    cmd_cancel->setObjectName(QStringLiteral("cmd_cancel"));
    cmd_cancel->setFont(ui::mingFont(12));
    cmd_cancel->setAccessibleName(QStringLiteral("取消"));
    ui::place(cmd_cancel, 1680, 1920, 735, 375);

    new ui::WindowFit(this, 3045, 2505);
    setTabOrder(cob_kind, cmd_ok);
    setTabOrder(cmd_ok, cmd_cancel);
    connect(cmd_ok, &QPushButton::clicked, this, [this] {
        if (cob_kind->currentIndex() >= 0)
            accept();
    });
    connect(cmd_cancel, &QPushButton::clicked, this, &QDialog::reject);

    Label1->setText(QStringLiteral("注意!!您所要刪除的種類,") + deletedName
        + QStringLiteral(",已經有關聯的資料,請選擇另一種類重建關聯!"));
    for (const KindStore::Kind &kind : KindStore::kindsByOrder()) {
        if (kind.id != deletedId)
            cob_kind->addItem(kind.name, kind.id);
    }
    // Nothing is taken without a choice: ok waits for one.
    cob_kind->setPlaceholderText(QStringLiteral("請選擇種類"));
    cob_kind->setCurrentIndex(-1);
    cmd_ok->setEnabled(false);
    connect(cob_kind, &QComboBox::currentIndexChanged, this, [this](int index) { cmd_ok->setEnabled(index >= 0); });
    Label2->setText(QStringLiteral("共有 %1 筆帳目要移過去。").arg(entries));

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    cob_kind->setFocus();
}

std::optional<qint64> mang_kind_assign::chosenKind() const
{
    if (result() != QDialog::Accepted || cob_kind->currentIndex() < 0)
        return std::nullopt;
    return cob_kind->itemData(cob_kind->currentIndex()).toLongLong();
}

int mang_kind_assign::choiceCount() const
{
    return cob_kind->count();
}
