// The query window played from the scenarios beside this file.

#include "support/Scenario.h"

#include "reports/check.h"

class QueryScenarios : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void play_data() { Scenario::addRows(__FILE__); }
    void play()
    {
        Scenario s;
        s.window(QStringLiteral("query"), [] { return new check(); });
        s.run();
    }
};

QUILLORY_TEST_MAIN(QueryScenarios)
#include "check_test.moc"
