#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Stands in for the message boxes while it lives: records every text shown and answers
// questions from a queue. A question with no answer queued is an unexpected box: it is
// answered No (or with no choice) and recorded, and unexpected() says so.
class ScriptedBoxes
{
public:
    ScriptedBoxes();
    ~ScriptedBoxes();
    ScriptedBoxes(const ScriptedBoxes &) = delete;
    ScriptedBoxes &operator=(const ScriptedBoxes &) = delete;

    // Queue the answer to the next question: Yes or No, or the index of a choice (-1: none).
    void answer(bool yes);
    void choose(int choice) { m_answers.append(choice); }
    // From now on a question with no answer queued is answered so, and is not unexpected.
    void answerEveryQuestion(bool yes) { m_everyAnswer = yes; }

    // Every text shown so far, in order; take() also forgets them.
    QStringList texts() const { return m_texts; }
    QStringList take();
    // Questions that had no queued answer.
    QStringList unexpected() const { return m_unexpected; }
    int pendingAnswers() const { return int(m_answers.size()); }

private:
    QStringList m_texts;
    QStringList m_unexpected;
    QList<int> m_answers;
    std::optional<bool> m_everyAnswer;
};
