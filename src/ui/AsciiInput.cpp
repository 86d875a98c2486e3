#include "ui/AsciiInput.h"

#include "platform/Numbers.h"

#include <QLineEdit>
#include <QValidator>

namespace ui {

namespace {

// A validator that never refuses: it only rewrites. The line edit runs it on every change,
// typed, pasted, committed by an input method or set by the program, and takes the
// rewritten text; each character maps to one, so the cursor stays where it was.
class AsciiValidator : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &input, int &) const override
    {
        input = Numbers::asciiForm(input);
        return Acceptable;
    }

    void fixup(QString &input) const override { input = Numbers::asciiForm(input); }
};

} // namespace

void readWideAsAscii(QLineEdit *field)
{
    field->setValidator(new AsciiValidator(field));
}

} // namespace ui
