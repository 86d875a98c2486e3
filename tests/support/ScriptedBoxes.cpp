#include "support/ScriptedBoxes.h"

#include "ui/MessageBox.h"

ScriptedBoxes::ScriptedBoxes()
{
    ui::setMessageHook([this](ui::BoxKind kind, const QString &text) {
        m_texts.append(text);
        if (kind == ui::BoxKind::Ok)
            return 1;
        if (m_answers.isEmpty() && m_everyAnswer && kind == ui::BoxKind::YesNo)
            return int(*m_everyAnswer);
        if (m_answers.isEmpty()) {
            m_unexpected.append(text);
            return kind == ui::BoxKind::Choice ? -1 : 0;
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
    m_answers.append(int(yes));
}

QStringList ScriptedBoxes::take()
{
    return std::exchange(m_texts, {});
}
