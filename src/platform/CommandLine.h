#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The two options every program of Quillory answers, --help and --version, and the refusal of
// an argument a program does not take.
namespace CommandLine {

// The version of Quillory, as the project is numbered ("1.0").
QString version();

// arguments: the command line after the program's name. --help (or -h) alone prints usage on
// standard output, --version alone "PROGRAM (Quillory) VERSION"; either gives 0, the status to
// end with. Any other command line gives nothing, and the program goes on.
std::optional<int> answerHelpOrVersion(const QStringList &arguments, const char *program, const char *usage);

// Says on standard error that argument is not one the program takes, and where to look;
// gives back status, to end with.
int refuse(const char *program, const QString &argument, int status);

} // namespace CommandLine
