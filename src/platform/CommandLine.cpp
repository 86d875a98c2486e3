#include "platform/CommandLine.h"

#include <cstdio>

namespace CommandLine {

QString version()
{
    return QStringLiteral(QUILLORY_VERSION);
}

std::optional<int> answerHelpOrVersion(const QStringList &arguments, const char *program, const char *usage)
{
    if (arguments.size() != 1)
        return std::nullopt;
    const QString &option = arguments.first();
    if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
        std::fputs(usage, stdout);
    } else if (option == QLatin1String("--version")) {
        std::printf("%s (Quillory) %s\n", program, QUILLORY_VERSION);
    } else {
        return std::nullopt;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int refuse(const char *program, const QString &argument, int status)
{
    const bool option = argument.startsWith(QLatin1Char('-'));
    std::fprintf(stderr, "%s: 不認識的%s %s (unknown %s; see %s --help)\n", program, option ? "選項" : "參數",
        argument.toLocal8Bit().constData(), option ? "option" : "argument", program);
    return status;
}

} // namespace CommandLine
