#include "ui/FieldLeave.h"

#include "support/TestSupport.h"
#include "ui/PushButton.h"

#include <QDialog>
#include <QLineEdit>

namespace {

// Two fields that each refuse "bad" by taking the focus back, and a button.
struct Form
{
    QDialog dialog;
    QLineEdit *first = new QLineEdit(&dialog);
    QLineEdit *second = new QLineEdit(&dialog);
    ui::PushButton *button = new ui::PushButton(QStringLiteral("確定"), &dialog);
    ui::LeaveGuard guard;
    QStringList events;

    Form()
    {
        second->move(0, 40);
        button->move(0, 80);
        for (QLineEdit *field : { first, second }) {
            const QString name = field == first ? QStringLiteral("first") : QStringLiteral("second");
            ui::FieldLeave::watch(field, &guard, [this, field, name] {
                events << QStringLiteral("leave ") + name;
                if (field->text() == QStringLiteral("bad")) {
                    field->setFocus();
                    field->selectAll();
                }
            });
        }
        QObject::connect(button, &QPushButton::clicked, &dialog, [this] { events << QStringLiteral("click"); });
        testing::showActive(&dialog);
    }
};

} // namespace

class FieldLeaveTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void leaveRunsBeforeTheClickedButton();
    void aFieldTakingTheFocusBackStaysWhole();
};

void FieldLeaveTest::leaveRunsBeforeTheClickedButton()
{
    Form f;
    f.first->setFocus();
    f.first->setText(QStringLiteral("ok"));
    testing::click(f.button);
    QCOMPARE(f.events, QStringList({ "leave first", "click" }));
}

void FieldLeaveTest::aFieldTakingTheFocusBackStaysWhole()
{
    Form f;
    f.first->setFocus();
    f.first->setText(QStringLiteral("bad"));
    f.second->setText(QStringLiteral("bad"));
    QTest::keyClick(f.first, Qt::Key_Tab);
    // The second field's check stays quiet while the first one takes the focus back.
    QCOMPARE(f.events, QStringList({ "leave first" }));
    QCOMPARE(QApplication::focusWidget(), f.first);
    QCOMPARE(f.first->selectedText(), QStringLiteral("bad"));
    testing::typeText(f.first, QStringLiteral("好"));
    QCOMPARE(f.first->text(), QStringLiteral("好"));
}

QUILLORY_TEST_MAIN(FieldLeaveTest)
#include "FieldLeave_test.moc"
