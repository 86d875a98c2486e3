#pragma once

#include <QDialog>
#include <QVector>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace ui {
class PushButton;
}

// The kind manager: the kinds in the person's own order, with adding, renaming, moving and
// deleting them, and the choice of the summary kinds. Every change is written at once and
// the window then reads everything it shows again.
class mang_kind : public QDialog
{
    Q_OBJECT

public:
    explicit mang_kind(QWidget *parent = nullptr);

    QLineEdit *kind_name;
    ui::PushButton *kind_add;
    ui::PushButton *kind_modify;
    QGroupBox *Frame1;
    QLabel *Label1;
    QListWidget *kind;
    ui::PushButton *cmd_up;
    ui::PushButton *cmd_down;
    QLabel *Label2;
    QListWidget *skinds;
    ui::PushButton *kind_del;

    // Refills skinds from the summary-kind table.
    void update_skinds();

private:
    void buildControls();
    void connectControls();

    void loadWindow();
    void kind_Click(int position);
    void addKind();
    void renameKind();
    void moveKind(int step);
    void deleteKind();
    void addSummaryKind();
    void removeSummaryKind();

    // The id of the kind at each position of the list kind.
    QVector<qint64> kind_ids;
    // Position of the current kind in kind; -1 when the list is empty.
    int cur_kind = -1;
};
