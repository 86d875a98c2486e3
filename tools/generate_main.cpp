// Makes a large, realistic ledger in a folder, for trying the program on years of data.

#include "LedgerGenerator.h"

#include "platform/CommandLine.h"
#include "store/StoreError.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(CommandLine::version());
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Creates FOLDER/db1.mdb and FOLDER/SKinds.txt with generated entries."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("folder"), QStringLiteral("Folder for the new ledger."));
    parser.addOption({ QStringLiteral("entries"), QStringLiteral("Number of entries (100000)."), QStringLiteral("n"),
        QStringLiteral("100000") });
    parser.addOption({ QStringLiteral("years"), QStringLiteral("Years the entries span (30)."), QStringLiteral("y"),
        QStringLiteral("30") });
    parser.addOption(
        { QStringLiteral("seed"), QStringLiteral("Random seed (1)."), QStringLiteral("s"), QStringLiteral("1") });
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(1);

    LedgerGenerator::Settings settings;
    bool ok = true;
    settings.entries = parser.value(QStringLiteral("entries")).toLongLong(&ok);
    bool okYears = true;
    settings.years = parser.value(QStringLiteral("years")).toInt(&okYears);
    bool okSeed = true;
    settings.seed = parser.value(QStringLiteral("seed")).toULongLong(&okSeed);
    if (!ok || !okYears || !okSeed || settings.entries < 0 || settings.years < 1) {
        std::fputs("quillory-generate: --entries, --years and --seed take whole numbers (years at least 1).\n", stderr);
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    try {
        LedgerGenerator::generate(parser.positionalArguments().first(), settings);
    } catch (const StoreError &error) {
        std::fprintf(stderr, "quillory-generate: %s\n", error.message().toUtf8().constData());
        return 1;
    }
    std::printf("quillory-generate: %lld entries over %d years in %.1f s\n", static_cast<long long>(settings.entries),
        settings.years, double(timer.elapsed()) / 1000.0);
    return 0;
}
