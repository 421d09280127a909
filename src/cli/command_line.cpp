// SPDX-License-Identifier: MIT
#include "cli/command_line.h"
#include "cli/exit_status.h"
#include "cli/run.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstring>

namespace cli {

namespace {

const QStringList kCommands = {QStringLiteral("list"), QStringLiteral("set"), QStringLiteral("apply"),
                               QStringLiteral("history"), QStringLiteral("check")};

// Options whose next argument is their value, not a subcommand: ours, and
// the ones QApplication takes for the window.
bool TakesValue(const char* argument)
{
    static const char* const kValueOptions[] = {"--interface",
                                                "--format",
                                                "--undo-plan",
                                                "--mac",
                                                "--undo",
                                                "-platform",
                                                "-platformpluginpath",
                                                "-platformtheme",
                                                "-plugin",
                                                "-qmljsdebugger",
                                                "-qwindowgeometry",
                                                "-qwindowicon",
                                                "-qwindowtitle",
                                                "-session",
                                                "-display",
                                                "-geometry",
                                                "-style",
                                                "-stylesheet",
                                                "-title",
                                                "-name"};
    // Qt takes its options with one dash or two.
    const char* name = std::strncmp(argument, "--", 2) == 0 && argument[2] != '\0' ? argument + 1 : argument;
    for (const char* option : kValueOptions)
        if (std::strcmp(argument, option) == 0 || (option[1] != '-' && std::strcmp(name, option) == 0))
            return true;
    return false;
}

// Arguments each subcommand takes, for the usage check.
int PositionalCount(const QString& command)
{
    if (command == QLatin1String("set"))
        return 3;
    if (command == QLatin1String("apply") || command == QLatin1String("check"))
        return 1;
    return 0;
}

std::string HelpText(const QCommandLineParser& parser)
{
    const QString usage = QStringLiteral(
        "Użycie:\n"
        "  muxconfig                          okno programu\n"
        "  muxconfig list [--quick] [--format table|csv|json]\n"
        "                                     lista urządzeń w sieci lokalnej\n"
        "  muxconfig set MAC ADRES MASKA      nowy adres i maska jednego urządzenia\n"
        "  muxconfig apply PLAN.csv|- [--dry-run] [--detailed-exitcode] [--undo-plan PLIK]\n"
        "                                     zmiana wielu urządzeń według planu (mac,adres,maska)\n"
        "  muxconfig history [--format table|csv|json] [--mac MAC] [--undo PRZEBIEG]\n"
        "                                     dziennik zmian albo plan cofnięcia przebiegu\n"
        "  muxconfig check PLAN.csv           sprawdzenie planu bez sieci\n"
        "\n"
        "Kod wyjścia: 0 wszystko się udało, 1 błąd sieci, 2 błąd wywołania lub planu,\n"
        "3 niektóre urządzenia zawiodły lub nie potwierdziły zmiany; z --detailed-exitcode 0 nic do zmiany,\n"
        "4 zmieniono lub są zmiany do zrobienia; 129, 130, 143 przerwano sygnałem.\n\n");
    QString options = parser.helpText();
    options = options.mid(options.indexOf(QCommandLineParser::tr("Options:")));
    return (usage + options).toStdString();
}

ParsedCommandLine UsageError(const QString& text)
{
    return {std::nullopt,
            QStringLiteral("muxconfig: %1\nmuxconfig --help pokazuje sposób użycia.\n").arg(text).toStdString(),
            kExitUsage};
}

} // namespace

bool IsCommandLineMode(int argc, char** argv)
{
    for (int at = 1; at < argc; ++at) {
        const char* argument = argv[at];
        if (TakesValue(argument)) {
            ++at; // its value names no subcommand
            continue;
        }
        // Any other word is meant as a subcommand: a mistyped one gets the
        // usage from the command line, never the window (which needs a display).
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0 ||
            std::strcmp(argument, "--version") == 0 || argument[0] != '-' || std::strcmp(argument, "-") == 0)
            return true;
    }
    return false;
}

int ShowParsedText(const ParsedCommandLine& parsed)
{
    std::fputs(parsed.Text.c_str(), parsed.ExitStatus == kExitOk ? stdout : stderr);
    return parsed.ExitStatus;
}

ParsedCommandLine ParseCommandLine(const QStringList& arguments, Face face)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Pokazuje tę pomoc."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Pokazuje wersję programu."));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("Postać wyniku: table (domyślna), csv, json albo jsonl."),
                                    QStringLiteral("table|csv|json|jsonl"), QStringLiteral("table"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"),
                                    QStringLiteral("apply: sprawdza plan i pokazuje, co by zmienił; nic nie zmienia."));
    const QCommandLineOption quiet(QStringLiteral("quiet"),
                                   QStringLiteral("Bez postępu i podsumowania; zostają wyniki i błędy."));
    const QCommandLineOption interface(QStringLiteral("interface"),
                                       QStringLiteral("Interfejs sieciowy (można podać kilka razy)."),
                                       QStringLiteral("NAZWA"));
    const QCommandLineOption undoPlan(
        QStringLiteral("undo-plan"),
        QStringLiteral("set, apply: przed pierwszą zmianą zapisuje obecne adresy i maski zmienianych urządzeń "
                       "jako plan dla apply."),
        QStringLiteral("PLIK"));
    const QCommandLineOption mac(QStringLiteral("mac"), QStringLiteral("history: tylko zmiany tego urządzenia."),
                                 QStringLiteral("MAC"));
    const QCommandLineOption undo(QStringLiteral("undo"),
                                  QStringLiteral("history: plan dla apply, który przywraca urządzeniom zmienionym "
                                                 "w tym przebiegu poprzednie adresy i maski."),
                                  QStringLiteral("PRZEBIEG"));
    const QCommandLineOption detailedExitcode(
        QStringLiteral("detailed-exitcode"),
        QStringLiteral(
            "set, apply: kod 0 gdy nie było nic do zmiany, 4 gdy zmieniono (z --dry-run: są zmiany do zrobienia)."));
    const QCommandLineOption quick(QStringLiteral("quick"),
                                   QStringLiteral("list: tylko wyszukiwanie (około 2 s), bez odczytu masek."));
    const QCommandLineOption refuseUnchecked(
        QStringLiteral("refuse-unchecked"),
        QStringLiteral("set, apply: adres, którego nie dało się sprawdzić (arping), odrzuca swój wiersz."));
    const QCommandLineOption requireJournal(
        QStringLiteral("require-journal"),
        QStringLiteral("set, apply: bez zapisu w dzienniku zmian nic nie wysyła (status 2, gdy dziennika nie ma)."));
    parser.addOptions({help, version, format, dryRun, quiet, interface, undoPlan, mac, undo, detailedExitcode, quick,
                       refuseUnchecked, requireJournal});

    if (!parser.parse(arguments))
        return UsageError(parser.errorText());
    if (parser.isSet(help))
        return {std::nullopt, HelpText(parser), kExitOk};
    if (parser.isSet(version))
        return {std::nullopt, QStringLiteral("muxconfig %1\n").arg(QStringLiteral(MUX_VERSION)).toStdString(), kExitOk};

    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        const QStringList given = parser.optionNames();
        if (face == Face::Window && given.count(QStringLiteral("interface")) == given.size()) {
            Options window;
            window.Interfaces = parser.values(interface);
            return {window, {}, kExitOk};
        }
        return UsageError(QStringLiteral("brak polecenia list, set, apply, check albo history"));
    }
    if (!kCommands.contains(positional.first()))
        return UsageError(QStringLiteral("nieznane polecenie \"%1\" (znane: list, set, apply, check, history)\n\n%2")
                              .arg(positional.first(), QString::fromStdString(HelpText(parser))));
    Options options;
    options.Command = positional.takeFirst();
    if (positional.size() != PositionalCount(options.Command))
        return UsageError(QStringLiteral("%1: niewłaściwa liczba argumentów").arg(options.Command));
    options.Arguments = positional;

    const QString formatName = parser.value(format);
    if (formatName == QLatin1String("table"))
        options.Format = Format::Table;
    else if (formatName == QLatin1String("csv"))
        options.Format = Format::Csv;
    else if (formatName == QLatin1String("jsonl"))
        options.Format = Format::Jsonl;
    else if (formatName == QLatin1String("json"))
        options.Format = Format::Json;
    else
        return UsageError(QStringLiteral("--format: nieznana postać \"%1\"").arg(formatName));
    options.DryRun = parser.isSet(dryRun);
    options.DetailedExitcode = parser.isSet(detailedExitcode);
    if (options.DetailedExitcode && options.Command != QLatin1String("apply") &&
        options.Command != QLatin1String("set"))
        return UsageError(QStringLiteral("--detailed-exitcode dotyczy tylko set i apply"));
    options.Quick = parser.isSet(quick);
    if (options.Quick && options.Command != QLatin1String("list"))
        return UsageError(QStringLiteral("--quick dotyczy tylko list"));
    if (options.DryRun && options.Command != QLatin1String("apply") && options.Command != QLatin1String("set"))
        return UsageError(QStringLiteral("--dry-run dotyczy tylko set i apply"));
    const bool changes = options.Command == QLatin1String("set") || options.Command == QLatin1String("apply");
    if (parser.isSet(undoPlan) && !changes)
        return UsageError(QStringLiteral("--undo-plan dotyczy tylko set i apply"));
    options.RefuseUnchecked = parser.isSet(refuseUnchecked);
    if (options.RefuseUnchecked && !changes)
        return UsageError(QStringLiteral("--refuse-unchecked dotyczy tylko set i apply"));
    options.RequireJournal = parser.isSet(requireJournal);
    if (options.RequireJournal && !changes)
        return UsageError(QStringLiteral("--require-journal dotyczy tylko set i apply"));
    if ((parser.isSet(mac) || parser.isSet(undo)) && options.Command != QLatin1String("history"))
        return UsageError(QStringLiteral("--mac i --undo dotyczą tylko history"));
    options.UndoPlan = parser.value(undoPlan);
    options.Mac = parser.value(mac);
    options.UndoRun = parser.value(undo);
    options.Quiet = parser.isSet(quiet);
    options.Interfaces = parser.values(interface);
    return {options, {}, kExitOk};
}

} // namespace cli
