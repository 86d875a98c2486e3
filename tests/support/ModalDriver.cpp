#include "support/ModalDriver.h"

#include "ui/Modal.h"

#include <QDialog>
#include <QPointer>
#include <QTest>

ModalDriver::ModalDriver()
{
    ui::setModalHook([this](QDialog *dialog) {
        m_shown.append(dialog->objectName());
        if (m_drives.isEmpty()) {
            m_unexpected.append(dialog->objectName());
            return int(QDialog::Rejected);
        }
        const Drive drive = m_drives.takeFirst();
        QPointer<QDialog> guard(dialog);
        dialog->setResult(QDialog::Rejected);
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog))
            m_unexpected.append(dialog->objectName() + QStringLiteral(" (not exposed)"));
        dialog->activateWindow();
        if (!QTest::qWaitForWindowActive(dialog, 20000)) {
            m_unexpected.append(dialog->objectName() + QStringLiteral(" (not active)"));
            if (QTest::currentTestFunction() != nullptr)
                QTest::qFail(qPrintable(dialog->objectName() + QStringLiteral(" did not become active within 20 s")),
                    __FILE__, __LINE__);
        }
        drive(dialog);
        if (guard && guard->isVisible())
            guard->close();
        return guard ? guard->result() : int(QDialog::Rejected);
    });
}

ModalDriver::~ModalDriver()
{
    ui::setModalHook({});
}

void ModalDriver::next(Drive drive)
{
    m_drives.append(std::move(drive));
}
