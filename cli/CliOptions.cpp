#include "cli/CliOptions.h"

#include <functional>
#include <map>

#include "catalog/WorkbookFormat.h"

namespace speclore::cli {

const char* const kCliHelpText =
    "Usage: speclore-cli DATABASE -o OUTPUT.xls|OUTPUT.xlsx [options]\n"
    "\n"
    "Writes the table specification workbook for an Access database (.mdb/.mde)\n"
    "without windows, as the start command of the main window does: worksheet 1\n"
    "describes the tables field by field, worksheet 2 lists the relationships,\n"
    "and a template's worksheet named クエリ仕様書 gets the saved queries.\n"
    "The output's type chooses the workbook format: OUTPUT.xlsx is an Excel\n"
    "workbook (Office Open XML) made from Template.xlsx, any other name an\n"
    "Excel 97-2003 workbook made from Template.xls, both from the program's\n"
    "folder. An .xls sheet ends at row 65,536; larger catalogs need .xlsx.\n"
    "\n"
    "Options:\n"
    "  -o, --output FILE        the workbook to write (required); an existing file\n"
    "                           of that name is replaced\n"
    "  --template FILE          fill a copy of this template instead; it must be\n"
    "                           of the output's type (.xlsx for .xlsx, else .xls)\n"
    "  --table NAME             document this table; repeat for more, in the order\n"
    "                           wanted (default: every table the main window would\n"
    "                           list, in the same order)\n"
    "  --table-title TEXT       title of worksheet 1 (default: TABLETITLE of\n"
    "                           section INITIAL of the settings file)\n"
    "  --relation-title TEXT    title of worksheet 2 (default: RELATIONTITLE)\n"
    "  --query-title TEXT       title of the query sheet, where the template has\n"
    "                           one (default: QUERYTITLE, else\n"
    "                           \"<FileTitle> クエリ仕様書\")\n"
    "                           Titles may hold <FileName>, <FileTitle>, <YYYY>,\n"
    "                           <YY>, <MM>, <M>, <DD>, <D> (any letter case).\n"
    "  --db-password-env VAR    take the database password from environment\n"
    "                           variable VAR\n"
    "  --workgroup FILE         workgroup information file (.mdw); without it the\n"
    "                           database is opened as Admin with system.mdw from\n"
    "                           the program's folder\n"
    "  --user NAME              account name in the workgroup (with --workgroup)\n"
    "  --password-env VAR       take the account password from environment\n"
    "                           variable VAR (with --workgroup)\n"
    "  --settings FILE          settings file with the item names (section CATALOG)\n"
    "                           and default titles (default: the windowed\n"
    "                           program's Speclore.ini: beside the program in a\n"
    "                           portable copy, else ~/.config/speclore/)\n"
    "  -h, --help               show this text\n"
    "\n"
    "Passwords are never given on the command line, only through the environment.\n"
    "Messages that the windowed program shows in message boxes are written to\n"
    "standard error in the same words; progress is shown on standard error as one\n"
    "updating line when it is a terminal.\n"
    "\n"
    "Exit status:\n"
    "  0  the workbook was written\n"
    "  1  the run failed (the database could not be opened, it has no tables, or\n"
    "     writing the workbook failed); the reason is on standard error\n"
    "  2  usage error: unknown or incomplete option, no DATABASE or no -o, an\n"
    "     environment variable that is not set, a --settings or --template file\n"
    "     that does not exist, a template whose type is not the output's, a\n"
    "     --table that the database does not hold; nothing was written\n"
    "\n"
    "Example:\n"
    "  speclore-cli Sales.mdb -o Sales.xls --table-title \"<FileTitle> テーブル仕様書\"\n";

namespace {

using Setter = std::function<void(CliOptions&, const std::string&)>;

const std::map<std::string, Setter>& valueOptions() {
    static const std::map<std::string, Setter> options = {
        {"-o", [](CliOptions& o, const std::string& v) { o.outputPath = v; }},
        {"--output", [](CliOptions& o, const std::string& v) { o.outputPath = v; }},
        {"--table", [](CliOptions& o, const std::string& v) { o.tables.push_back(v); }},
        {"--table-title", [](CliOptions& o, const std::string& v) { o.tableTitle = v; }},
        {"--relation-title", [](CliOptions& o, const std::string& v) { o.relationTitle = v; }},
        {"--query-title", [](CliOptions& o, const std::string& v) { o.queryTitle = v; }},
        {"--db-password-env", [](CliOptions& o, const std::string& v) { o.databasePasswordVariable = v; }},
        {"--workgroup", [](CliOptions& o, const std::string& v) { o.workgroupPath = v; }},
        {"--user", [](CliOptions& o, const std::string& v) { o.accountName = v; }},
        {"--password-env", [](CliOptions& o, const std::string& v) { o.accountPasswordVariable = v; }},
        {"--settings", [](CliOptions& o, const std::string& v) { o.settingsPath = v; }},
        {"--template", [](CliOptions& o, const std::string& v) { o.templatePath = v; }},
    };
    return options;
}

void checkComplete(const CliOptions& options) {
    if (options.databasePath.empty()) throw UsageError{"no DATABASE given"};
    if (options.outputPath.empty()) throw UsageError{"no output workbook given (-o OUTPUT.xls)"};
    if (options.templatePath &&
        catalog::workbookFormatOf(*options.templatePath) != catalog::workbookFormatOf(options.outputPath)) {
        throw UsageError{"the template " + *options.templatePath + " is not of the output's type (" +
                         catalog::templateFileName(catalog::workbookFormatOf(options.outputPath)) + ")"};
    }
    if (!options.workgroupPath && (options.accountName || options.accountPasswordVariable)) {
        throw UsageError{"--user and --password-env need --workgroup"};
    }
}

}  // namespace

CliOptions parseCliOptions(const std::vector<std::string>& arguments) {
    CliOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            if (!options.databasePath.empty()) {
                throw UsageError{"more than one DATABASE given: " + argument};
            }
            options.databasePath = argument;
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "-h" || argument == "--help") {
            options.help = true;
            return options;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const auto option = valueOptions().find(name);
        if (option == valueOptions().end()) throw UsageError{"unknown option " + name};
        if (equals != std::string::npos) {
            option->second(options, argument.substr(equals + 1));
        } else if (i + 1 < arguments.size()) {
            option->second(options, arguments[++i]);
        } else {
            throw UsageError{"option " + name + " needs a value"};
        }
    }
    checkComplete(options);
    return options;
}

}  // namespace speclore::cli
