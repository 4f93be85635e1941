// SPDX-License-Identifier: MIT
#include "cli/manual.h"

#include "cli/command_line.h"
#include "config/profile_file.h"
#include "config/skin.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace glenvary::cli {
namespace {

// Text made safe for roff: backslashes and hyphens escaped (a plain "-"
// may be typeset as a hyphen, which cannot be copied into a shell), and a
// line that would start with a control character guarded.
std::string Roff(std::string_view text)
{
    std::string escaped;
    bool lineStart = true;
    for (const char c : text) {
        if (lineStart && (c == '.' || c == '\'')) {
            escaped += "\\&";
        }
        if (c == '\\') {
            escaped += "\\e";
        } else if (c == '-') {
            escaped += "\\-";
        } else {
            escaped += c;
        }
        lineStart = c == '\n';
    }
    return escaped;
}

// "UNIT:{words,sentences,paragraphs}": the value's name, and the names it
// may take when the option takes one of a list (none otherwise).
struct TValueName {
    std::string name;
    std::vector<std::string> choices;
};

TValueName SplitTypeName(const CLI::Option& option)
{
    const std::string full = option.get_type_name();
    TValueName value{full.substr(0, full.find(':')), {}};
    const std::size_t open = full.find(":{");
    const std::size_t close = full.find('}', open);
    if (open == std::string::npos || close == std::string::npos) {
        return value;
    }
    std::string list = full.substr(open + 2, close - open - 2);
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        value.choices.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    return value;
}

// All names of an option: "-o", "--output".
std::vector<std::string> OptionNames(const CLI::Option& option)
{
    std::vector<std::string> names;
    for (const std::string& name : option.get_snames()) {
        names.push_back("-" + name);
    }
    for (const std::string& name : option.get_lnames()) {
        names.push_back("--" + name);
    }
    return names;
}

bool TakesValue(const CLI::Option& option)
{
    // A flag (--help) expects no value; its type size says nothing.
    return option.get_expected_min() > 0;
}

// The options and arguments of `command`, help first out.
std::vector<const CLI::Option*> Options(const CLI::App& command, bool positional)
{
    return command.get_options([positional](const CLI::Option* option) {
        return option->get_positional() == positional;
    });
}

// The synopsis of a command and, for one with commands of its own, of
// each of them ("archive add ...").
std::string Synopsis(const CLI::App& command, const std::string& parent = {})
{
    const std::string name = parent.empty() ? command.get_name() : parent + " " + command.get_name();
    if (const std::vector<const CLI::App*> actions = command.get_subcommands({}); !actions.empty()) {
        std::string lines;
        for (const CLI::App* action : actions) {
            lines += Synopsis(*action, name);
        }
        return lines;
    }
    std::string line = ".B glenvary\\-cli " + Roff(name) + "\n";
    for (const CLI::Option* option : Options(command, false)) {
        if (option->get_lnames() == std::vector<std::string>{"help"}) {
            continue;
        }
        const std::string flag = Roff(OptionNames(*option).back());
        const std::string value = TakesValue(*option) ? " \\fI" + Roff(SplitTypeName(*option).name) + "\\fR" : "";
        line += option->get_required() ? "\\fB" + flag + "\\fR" + value + "\n" : "[\\fB" + flag + "\\fR" + value + "]\n";
    }
    for (const CLI::Option* option : Options(command, true)) {
        line += ".I " + Roff(option->get_name(true)) + (option->get_items_expected_max() > 1 ? " ...\n" : "\n");
    }
    return line + ".br\n";
}

void WriteOption(std::ostream& out, const CLI::Option& option)
{
    out << ".TP\n";
    if (option.get_positional()) {
        out << ".I " << Roff(option.get_name(true)) << "\n";
    } else {
        std::string names;
        for (const std::string& name : OptionNames(option)) {
            names += (names.empty() ? "\\fB" : ", \\fB") + Roff(name) + "\\fR";
        }
        if (TakesValue(option)) {
            names += " \\fI" + Roff(SplitTypeName(option).name) + "\\fR";
        }
        out << names << "\n";
    }
    std::string text = option.get_description();
    if (const TValueName value = SplitTypeName(option); !value.choices.empty()) {
        std::string choices;
        for (const std::string& choice : value.choices) {
            choices += (choices.empty() ? "" : ", ") + choice;
        }
        text += ". One of: " + choices + ", in any letter case";
    }
    if (!option.get_default_str().empty()) {
        text += ". Default: " + option.get_default_str();
    }
    if (option.get_required() && !option.get_positional()) {
        text += ". Required";
    }
    out << Roff(text) << ".\n";
}

void WriteArticleFormats(std::ostream& out, bool commandLine)
{
    for (const TArticleFormat& format : kArticleFormats) {
        if (!commandLine && format.commandLineOnly) {
            continue;
        }
        out << ".TP\n" << Roff(format.name) << "\n" << Roff(format.how) << ".\n";
    }
}

// A command's section: its sentence and options, then a section for each
// command of its own.
void WriteCommand(std::ostream& out, const CLI::App& command, const std::string& parent)
{
    const std::string name = parent.empty() ? command.get_name() : parent + " " + command.get_name();
    out << ".SS " << Roff(name) << "\n" << Roff(command.get_description()) << ".\n";
    // CLI11 passes a command's footer on to its commands: it is said once.
    if (parent.empty() && !command.get_footer().empty()) {
        out << Roff(command.get_footer()) << "\n";
    }
    for (const CLI::Option* option : Options(command, true)) {
        WriteOption(out, *option);
    }
    for (const CLI::Option* option : Options(command, false)) {
        WriteOption(out, *option);
    }
    for (const CLI::App* action : command.get_subcommands({})) {
        WriteCommand(out, *action, name);
    }
}

void WriteCliPage(std::ostream& out)
{
    const TCommandLine line;
    const CLI::App& app = line.app;
    // The help's sentence, "Marks ... keywords.", as the NAME line's phrase.
    std::string summary = app.get_description();
    if (!summary.empty() && summary.front() >= 'A' && summary.front() <= 'Z') {
        summary.front() = static_cast<char>(summary.front() - 'A' + 'a');
    }
    if (summary.ends_with('.')) {
        summary.pop_back();
    }
    out << ".TH GLENVARY\\-CLI 1 \"\" \"Glenvary " GLENVARY_VERSION "\" \"User Commands\"\n"
        << ".SH NAME\nglenvary\\-cli \\- " << Roff(summary) << "\n"
        << ".SH SYNOPSIS\n";
    for (const CLI::App* command : app.get_subcommands({})) {
        out << Synopsis(*command);
    }
    out << ".B glenvary\\-cli\n\\fB\\-\\-help\\fR | \\fB\\-\\-version\\fR\n"
        << ".SH DESCRIPTION\n"
        << "The command line of Glenvary, the duplicate content checker of glenvary(1), without a window.\n"
        << "\\fBcompare\\fR marks the passages of the second article that duplicate the first, and says\n"
        << "how much of the second they make up; \\fBbatch\\fR compares every pair of many articles;\n"
        << "\\fBdensity\\fR counts a keyword phrase; \\fBarchive\\fR keeps many documents and finds which of\n"
        << "them an article copies from.\n"
        << "A passage counts when it is at least \\fB\\-\\-min\\fR units long, the unit being words,\n"
        << "sentences or paragraphs. Reports are plain text, JSON or HTML, written to standard output\n"
        << "or, whole or not at all, to the file of \\fB\\-o\\fR.\n"
        << "Each failure is one line on standard error that starts with \"glenvary\\-cli: \".\n"
        << ".SH COMMANDS\n";
    for (const CLI::App* command : app.get_subcommands({})) {
        WriteCommand(out, *command, {});
    }
    out << ".SH OPTIONS\nWithout a command:\n";
    for (const CLI::Option* option : Options(app, false)) {
        WriteOption(out, *option);
    }
    out << ".SH FILES READ\nAn \\fIARTICLE\\fR is one of these files:\n";
    WriteArticleFormats(out, true);
    out << "A \\fBbatch\\fR folder gives every file in it and its subfolders.\n"
        << ".SH EXIT STATUS\n";
    for (const TExitStatus& exit : kExitStatuses) {
        out << ".TP\n" << exit.status << "\n" << Roff(exit.meaning) << ".\n";
    }
    out << ".SH EXAMPLES\n"
        << ".EX\nglenvary\\-cli compare \\-\\-min 3 article1.txt article2.txt\n"
        << "glenvary\\-cli batch \\-\\-threshold 20 \\-\\-format html \\-o report.html drafts/\n"
        << "glenvary\\-cli density \\-\\-keyword \"content checker\" article2.txt\n.EE\n"
        << ".SH SEE ALSO\n.BR glenvary (1)\n";
}

void WriteWindowPage(std::ostream& out, std::string_view programFolder)
{
    const std::string folder = Roff(programFolder);
    out << ".TH GLENVARY 1 \"\" \"Glenvary " GLENVARY_VERSION "\" \"User Commands\"\n"
        << ".SH NAME\nglenvary \\- compare two articles in a window and mark their duplicated passages\n"
        << ".SH SYNOPSIS\n.B glenvary\n"
        << ".SH DESCRIPTION\n"
        << "Glenvary shows two articles side by side. Type or paste them, or import each from a file;\n"
        << "Compare marks the passages of the second article that duplicate the first, at least the\n"
        << "chosen number of words, sentences or paragraphs long, and gives the share of the second\n"
        << "article they make up. A double click on a marked passage selects its copy in the other\n"
        << "article. The window also counts a keyword phrase, saves the comparison as a text, JSON or\n"
        << "HTML report, and, with an archive of earlier articles set up, finds an article's sources\n"
        << "in it and adds articles to it.\n"
        << ".SH OPTIONS\n"
        << "None. The program reads no command line: it starts the same with any arguments, and\n"
        << "Qt's own options (such as \\fB\\-style\\fR) are not taken either.\n"
        << "The command line program is glenvary\\-cli(1).\n"
        << ".SH FILES READ\nImport reads these files:\n";
    WriteArticleFormats(out, false);
    out << ".SH CONFIGURATION\n"
        << "Glenvary reads its start\\-up configuration once, from the folder that holds the program\n"
        << "(\\fI" << folder << "\\fR for the package), and never writes it. Every file is optional;\n"
        << "without \\fIdbconfig.dat\\fR the window keeps its built\\-in caption, banner, links, skin\n"
        << "and icon.\n"
        << ".TP\n.I dbconfig.dat\n"
        << "The settings: a profile (INI) file, every key in the section \\fB[Settings]\\fR, one\n"
        << "key=value a line, in UTF\\-8 or, when not valid UTF\\-8, Windows\\-1252. Section and key\n"
        << "names match in any letter case; the first of two equal keys counts. Blanks around a value\n"
        << "and one pair of enclosing quotes are dropped; a value is cut after "
        << config::kMaxProfileValueChars << " characters, and a\nfile larger than "
        << (config::kMaxProfileBytes >> 20) << " MiB is refused. A missing key and an empty value mean the same.\n"
        << ".RS\n"
        << ".TP\n.B AppName\nThe window caption.\n"
        << ".TP\n.B AfiliateID\nAn affiliate identifier, appended to the address that Make Money opens.\n"
        << ".TP\n.BR BannerPath1 \" ... \" BannerPath3\n"
        << "The file names of up to three banners, of which one is drawn at random; the extension names\n"
        << "the picture's format (bmp, ico, jpg, jpeg or gif, a gif shown animated). The picture of the\n"
        << "K\\-th banner found is the stored file \\fIdbimgK.dat\\fR.\n"
        << ".TP\n.BR BannerURL1 \" ... \" BannerURL3\nThe address a click on the banner opens.\n"
        << ".TP\n.BR Link1URL \" ... \" Link4URL \", \" Link1Name \" ... \" Link4Name\n"
        << "The footer links, two of which are drawn at random.\n"
        << ".TP\n.B IconPath\nThe file name of the window's icon, looked up in the program folder.\n"
        << ".RE\n"
        << ".TP\n.IR dbimg1.dat \", \" dbimg2.dat \", \" dbimg3.dat\nThe stored banner pictures.\n"
        << ".TP\n.I dbskin.dat\n"
        << "The skin: a Qt style sheet compressed with gzip, replacing the built\\-in one. A file that\n"
        << "is not gzip or unpacks to more than " << (config::kMaxSkinBytes >> 20)
        << " MiB is refused and the built\\-in skin stays.\n"
        << ".SH EXIT STATUS\n"
        << "0 when the window is closed. Without a display the window cannot open: Qt says so on\n"
        << "standard error and ends the program with a status of its own.\n"
        << ".SH SEE ALSO\n.BR glenvary\\-cli (1),\n"
        << "/usr/share/doc/glenvary/examples/config/README.md\n";
}

} // namespace

void WriteManualPage(std::ostream& out, TManualPage page, std::string_view programFolder)
{
    if (page == TManualPage::Cli) {
        WriteCliPage(out);
    } else {
        WriteWindowPage(out, programFolder);
    }
}

// The completion of one command's words after its name: the values of the
// option just typed, else its options after a '-', else file names. A
// command with commands of its own (archive) offers them first.
void WriteCommandCompletion(std::ostream& out, const CLI::App& command, int position, const std::string& indent)
{
    if (const std::vector<const CLI::App*> actions = command.get_subcommands({}); !actions.empty()) {
        std::string names;
        for (const CLI::App* action : actions) {
            names += (names.empty() ? "" : " ") + action->get_name();
        }
        out << indent << "if [[ $COMP_CWORD -eq " << position << " ]]; then\n"
            << indent << "    COMPREPLY=($(compgen -W '" << names << "' -- \"$cur\"))\n"
            << indent << "    return\n" << indent << "fi\n"
            << indent << "case ${COMP_WORDS[" << position << "]} in\n";
        for (const CLI::App* action : actions) {
            out << indent << action->get_name() << ")\n";
            WriteCommandCompletion(out, *action, position + 1, indent + "    ");
            out << indent << "    ;;\n";
        }
        out << indent << "esac\n";
        return;
    }
    std::string options;
    out << indent << "case $prev in\n";
    for (const CLI::Option* option : Options(command, false)) {
        std::string names;
        for (const std::string& name : OptionNames(*option)) {
            names += (names.empty() ? "" : "|") + name;
            options += (options.empty() ? "" : " ") + name;
        }
        if (!TakesValue(*option)) {
            continue;
        }
        const TValueName value = SplitTypeName(*option);
        std::string words;
        for (const std::string& choice : value.choices) {
            words += (words.empty() ? "" : " ") + choice;
        }
        out << indent << names << ")\n";
        if (!words.empty()) {
            out << indent << "    COMPREPLY=($(compgen -W '" << words << "' -- \"$cur\"))\n";
        } else if (value.name == "FILE" || value.name == "PATH") {
            out << indent << "    COMPREPLY=($(compgen -f -- \"$cur\"))\n";
        } else {
            out << indent << "    COMPREPLY=()\n";
        }
        out << indent << "    return ;;\n";
    }
    out << indent << "esac\n"
        << indent << "if [[ $cur == -* ]]; then\n"
        << indent << "    COMPREPLY=($(compgen -W '" << options << "' -- \"$cur\"))\n"
        << indent << "else\n"
        << indent << "    COMPREPLY=($(compgen -f -- \"$cur\"))\n"
        << indent << "fi\n";
}

void WriteBashCompletion(std::ostream& out)
{
    const TCommandLine line;
    std::string topOptions;
    for (const CLI::Option* option : Options(line.app, false)) {
        for (const std::string& name : OptionNames(*option)) {
            topOptions += (topOptions.empty() ? "" : " ") + name;
        }
    }
    std::string commands;
    for (const CLI::App* command : line.app.get_subcommands({})) {
        commands += (commands.empty() ? "" : " ") + command->get_name();
    }
    out << "# bash completion for glenvary-cli, written from its option table.\n"
        << "_glenvary_cli()\n{\n"
        << "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
        << "    if [[ $COMP_CWORD -eq 1 ]]; then\n"
        << "        COMPREPLY=($(compgen -W '" << commands << " " << topOptions << "' -- \"$cur\"))\n"
        << "        return\n    fi\n"
        << "    case ${COMP_WORDS[1]} in\n";
    for (const CLI::App* command : line.app.get_subcommands({})) {
        out << "    " << command->get_name() << ")\n";
        WriteCommandCompletion(out, *command, 2, "        ");
        out << "        ;;\n";
    }
    out << "    esac\n}\ncomplete -o filenames -o bashdefault -F _glenvary_cli glenvary-cli\n";
}

} // namespace glenvary::cli
