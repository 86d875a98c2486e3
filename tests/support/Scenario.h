#pragma once

#include "support/ModalDriver.h"
#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include <QMap>
#include <QPointer>
#include <QRect>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Window tests written as scenarios: text files of cases (`*.scenarios.txt` beside the test), one
// step a line, read and played by this driver as a person would play them. A case starts with
// `== name`; lines before the first case are the set-up of every case of the file. Texts with
// blanks are quoted ("..."), and \n \t \r \" \\ stand for themselves in any word.
// The steps:
//   today DATE                     the clock at 10:30 (set-up; default 2024-05-15)
//   kinds NAME...                  kinds with key_order 1.., ids 1.. on a new ledger
//   kind NAME ORDER                one kind
//   entry DATE KIND INOUT CONTENT AMOUNT [NOTE [KEY [KINDNAME]]]   KEY defaults to the next
//   daynote DATE TEXT / skinds BYTES / sql STATEMENT
//   open WINDOW / close            a window the test names (see window()); close the last
//   type W TEXT                    click W, replace what it holds by typing
//   append W TEXT                  type into W as it stands
//   key W KEY...                   keys as QKeySequence names: Return, Tab, Ctrl+Z, Shift+Down
//   click W [ROW [shift]]          a button; a grid row (0: the header); a list item
//   dclick W ROW                   double-click a list item
//   set W TEXT / pick W INDEX      what a program does to a field or a combo box, without keys
//   focus W                        the focus put on W
//   menu W ROW CAPTION             right-click a grid row and choose from its menu (fails without it)
//   answer yes|no|N...             answers to the next questions
//   modal NAME ... end             the steps that play the next modal window, which is NAME
//   fail [N] TEXT / fail off       the N-th statement from now on (default every) throws TEXT
//   watch WORD                     record the first word of each statement naming WORD
//   save-as NAME                   the file dialogs answer NAME in the case's folder ("": cancel)
//   write NAME TEXT [MODE] / timer / clear-clipboard
//   range BEGIN END detail|simple / year YEAR     the query window's range and year reports
// and the checks:
//   expect W TEXT                  the text a field, label, list or button shows
//   expect visible W yes|no
//   expect count W N               rows or items
//   expect items W TEXT...         the items of a list or combo box
//   expect row W R CELL...         cells of grid row R (fixed columns left out)
//   expect column W C CELL...      column C of every row after the header
//   expect boxes TEXT...           the boxes shown since the last check (badDate ...: the refusals)
//   expect sql QUERY [ROW...]      rows, cells joined by |
//   expect skinds BYTES / expect file NAME BYTES / expect statements WORD...
//   expect proposed NAME           the path the last file dialog proposed (~/: in the home folder)
//   expect clipboard TEXT / expect cpu-ms-below MS (since `timer`) / expect mode NAME OCTAL
//   expect files NAME...           the files of the case's folder besides the ledger
//   expect W.checked yes|no
// {ledger} in any word is the case's folder; ~TEXT in any check is a text holding TEXT.
// Every case ends with no box unchecked, no answer left and no window unexpected.
// W is an objectName (NAME[i]: the i-th of that name), `focus` or `window`.
class Scenario
{
public:
    using Command = std::function<void(Scenario &, const QStringList &args)>;

    Scenario() = default;
    ~Scenario();
    Scenario(const Scenario &) = delete;
    Scenario &operator=(const Scenario &) = delete;

    // A window `open NAME` makes; and a step a test adds to the vocabulary.
    void window(const QString &name, std::function<QWidget *()> make) { m_makers.insert(name, std::move(make)); }
    void command(const QString &name, Command run) { m_commands.insert(name, std::move(run)); }

    // QTest data rows "file: case" for the *.scenarios.txt files beside source (pass __FILE__).
    static void addRows(const char *source);
    // Plays the case of the current data row.
    void run();

    QWidget *find(const QString &name);
    TestLedger &ledger() { return *m_ledger; }
    // Fails the case at the step being played.
    void fail(const QString &message);
    void expectEqual(const QString &what, const QStringList &actual, const QStringList &expected);

private:
    void step(const QStringList &words);
    void setUp(const QStringList &words);
    void act(const QString &verb, const QStringList &args);
    void actOn(const QString &verb, const QStringList &args);
    void check(const QString &what, const QStringList &args);
    void clickAt(QWidget *widget, int row, Qt::KeyboardModifiers modifiers, bool twice);

    std::optional<testing::FixedClock> m_clock { std::in_place, QDateTime(QDate(2024, 5, 15), QTime(10, 30)) };
    std::unique_ptr<TestLedger> m_ledger = std::make_unique<TestLedger>();
    ScriptedBoxes m_boxes;
    ModalDriver m_modal;
    QMap<QString, std::function<QWidget *()>> m_makers;
    QMap<QString, Command> m_commands;
    std::vector<std::unique_ptr<QWidget>> m_windows;
    QList<QPointer<QWidget>> m_dialogs;
    QList<QStringList> *m_recording = nullptr;
    QList<QList<QStringList>> m_modalSteps;
    QStringList m_statements;
    QString m_proposed;
    testing::CpuTimer m_timer;
    QString m_file;
    int m_line = 0;
    qsizetype m_modalsPlayed = 0;
    bool m_failed = false;
};
