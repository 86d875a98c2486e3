#include "support/ScriptedBoxes.h"

#include "ui/MessageBox.h"

ScriptedBoxes::ScriptedBoxes()
{
    ui::setMessageHook([this](ui::BoxKind kind, const QString &text) {
        m_texts.append(text);
        if (kind == ui::BoxKind::Ok)
            return true;
        if (m_answers.isEmpty() && m_everyAnswer)
            return *m_everyAnswer;
        if (m_answers.isEmpty()) {
            m_unexpected.append(text);
            return false;
        }
        return m_answers.takeFirst();
    });
}

ScriptedBoxes::~ScriptedBoxes()
{
    ui::setMessageHook({});
}

void ScriptedBoxes::answer(bool yes)
{
    m_answers.append(yes);
}

QStringList ScriptedBoxes::take()
{
    QStringList out;
    out.swap(m_texts);
    return out;
}
