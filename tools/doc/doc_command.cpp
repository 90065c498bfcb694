#include "tools/doc/doc_command.h"

#include <algorithm>
#include <ostream>
#include <optional>
#include <string_view>

#include "documentation/check_rules.h"
#include "tarnwick_version.h"
#include "text/ascii.h"
#include "tools/doc/arguments.h"
#include "tools/doc/session.h"

namespace tarnwick {

namespace {

struct UsageError {
  std::string message;
};

// One option of a command: "--out FILE", or a switch without a value.
struct Option {
  std::string_view name;
  std::string_view value;  // what the usage calls its value; empty for a switch
  std::string_view help;
  void (*set)(Arguments& arguments, const std::string& value);
  bool required = false;
};

// One command of the program: its name, the line --help gives it, its
// options, what it needs loaded, and the one function that runs it.
struct Command {
  std::string_view name;
  std::string_view help;
  std::vector<Option> options;
  Stage stage = Stage::kParsed;
  void (*run)(Session& session) = nullptr;
  std::string (*moreHelp)() = nullptr;  // what --help says after the options
};

const std::vector<Command>& Commands();

// Named values of an option: "--missing public|all|none".
template <typename T, size_t N>
T Choice(std::string_view option, const std::string& value,
         const std::pair<std::string_view, T> (&choices)[N]) {
  std::string names;
  for (const auto& [name, choice] : choices) {
    if (name == value) {
      return choice;
    }
    names += (names.empty() ? "" : ", ") + std::string(name);
  }
  throw UsageError{"unknown value '" + value + "' for " + std::string(option) + " (" + names + ")"};
}

void SetEncoding(Arguments& arguments, const std::string& name) {
  const std::optional<Encoding> encoding = EncodingNamed(name);
  if (!encoding) {
    throw UsageError{"unknown encoding '" + name + "' (windows-1252, cp932 or utf-8)"};
  }
  arguments.encoding = *encoding;
}

void SetIgnored(Arguments& arguments, const std::string& list) {
  size_t start = 0;
  while (start <= list.size()) {
    const size_t comma = std::min(list.find(',', start), list.size());
    const std::string code = ToAsciiUpper(std::string_view(list).substr(start, comma - start));
    if (FindCheckRule(code) == nullptr) {
      throw UsageError{"--ignore: no rule has the code '" + code +
                       "' (tarnwick-doc check --help lists them)"};
    }
    arguments.check.ignored.push_back(code);
    start = comma + 1;
  }
}

const Option kEncoding{"--encoding", "ENC",
                       "the code page of files that are not UTF-8: windows-1252 (the default) "
                       "or cp932",
                       SetEncoding};
const Option kProject{"--project", "NAME",
                      "the project's name in member IDs and titles (default: the first "
                      "PATH's name)",
                      [](Arguments& a, const std::string& v) { a.project = v; }};

constexpr std::pair<std::string_view, ReportFormat> kFormats[] = {{"text", ReportFormat::kText},
                                                                  {"github", ReportFormat::kGithub},
                                                                  {"sarif", ReportFormat::kSarif}};
constexpr std::pair<std::string_view, MissingBlocks> kMissing[] = {
    {"public", MissingBlocks::kPublic},
    {"all", MissingBlocks::kAll},
    {"none", MissingBlocks::kNone}};

std::string RulesHelp();

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"xml",
       "writes the XML documentation file, in the layout .NET compilers use",
       {kProject,
        kEncoding,
        {"--out", "FILE", "write the file here rather than to standard output",
         [](Arguments& a, const std::string& v) { a.out = v; }}},
       Stage::kParsed,
       RunXml},
      {"markdown",
       "writes a Markdown site: DIR/mkdocs.yml, and in DIR/docs an index and a page per module",
       {kProject,
        kEncoding,
        {"--out", "DIR", "the folder of the site (needed)",
         [](Arguments& a, const std::string& v) { a.out = v; }, true},
        {"--force", "", "replace files of the site that it did not write (hand-written ones)",
         [](Arguments& a, const std::string&) { a.force = true; }}},
       Stage::kParsed,
       RunMarkdown},
      {"check",
       "reports blocks that are missing, misplaced or do not match their declaration; exits "
       "with 1 when it found any",
       {kEncoding,
        {"--format", "FMT", "text (the default), github (workflow commands) or sarif (SARIF 2.1.0)",
         [](Arguments& a, const std::string& v) { a.format = Choice("--format", v, kFormats); }},
        {"--ignore", "CODE,...", "leaves these rules out; may be given more than once", SetIgnored},
        {"--missing", "WHICH",
         "which members must have a block: public (the default), all (Private ones, Enum "
         "members and Type fields too) or none",
         [](Arguments& a, const std::string& v) {
           a.check.missing = Choice("--missing", v, kMissing);
         }}},
       Stage::kParsed,
       RunCheck,
       RulesHelp},
      {"sync",
       "brings blocks in line with changed signatures, and descriptions with their summaries; "
       "prints a unified diff",
       {kEncoding,
        {"--write", "", "replace the files instead of printing the diff",
         [](Arguments& a, const std::string&) { a.write = true; }},
        {"--descriptions", "",
         "also add a VB_Description attribute to each documented public procedure without one",
         [](Arguments& a, const std::string&) { a.descriptions = true; }}},
       Stage::kParsed,
       RunSync},
      {"export",
       "writes each module of Office files as a module file, as the editor's File > Export "
       "does; nothing when a file exists, unless --force",
       {{"--out", "DIR", "the folder to write into (the current one without)",
         [](Arguments& a, const std::string& v) { a.out = v; }},
        {"--force", "", "replace module files that exist",
         [](Arguments& a, const std::string&) { a.force = true; }}},
       Stage::kOfficeText,
       RunExport},
  };
  return commands;
}

constexpr const char kPathHelp[] =
    "PATH is a module file (.bas, .cls, .frm), a folder, read recursively for module files,\n"
    "or an Office file (.xlsm, .docm, .xls, vbaProject.bin...), whose modules are read as\n"
    "their export would be.\n";

// "[--project NAME] [--encoding ENC] --out DIR PATH..."
std::string Synopsis(const Command& command) {
  std::string text;
  for (const Option& option : command.options) {
    std::string part =
        std::string(option.name) + (option.value.empty() ? "" : " " + std::string(option.value));
    text += (option.required ? part : "[" + part + "]") + " ";
  }
  return text + "PATH...";
}

std::string Usage() {
  std::string text;
  size_t width = 0;
  for (const Command& command : Commands()) {
    width = std::max(width, command.name.size());
  }
  for (const Command& command : Commands()) {
    text += std::string(text.empty() ? "usage: " : "       ") + "tarnwick-doc " +
            std::string(command.name) + std::string(width - command.name.size() + 1, ' ') +
            Synopsis(command) + "\n";
  }
  text += "       tarnwick-doc COMMAND --help | help [COMMAND] | --version\n\n";
  for (const Command& command : Commands()) {
    text += "  " + std::string(command.name) + std::string(width - command.name.size() + 2, ' ') +
            std::string(command.help) + "\n";
  }
  return text + "\n" + kPathHelp +
         "ENC is the code page of files that are not UTF-8: windows-1252 (the default) or "
         "cp932.\n";
}

// `text` in lines of at most 79 characters, each after `indent` spaces.
std::string Wrapped(std::string_view text, size_t indent) {
  std::string out;
  std::string line;
  size_t start = 0;
  while (start < text.size()) {
    const size_t space = std::min(text.find(' ', start), text.size());
    const std::string_view word = text.substr(start, space - start);
    if (!line.empty() && indent + line.size() + 1 + word.size() > 79) {
      out += std::string(indent, ' ') + line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + std::string(word);
    start = space + 1;
  }
  return out + std::string(indent, ' ') + line + "\n";
}

std::string CommandHelp(const Command& command) {
  std::string text = "usage: tarnwick-doc " + std::string(command.name) + " " + Synopsis(command) +
                     "\n\n" + Wrapped(std::string(command.help) + ".", 0) + "\n" + kPathHelp +
                     "\noptions:\n";
  for (const Option& option : command.options) {
    text += "  " + std::string(option.name) +
            (option.value.empty() ? "" : " " + std::string(option.value)) + "\n" +
            Wrapped(option.help, 6);
  }
  if (command.moreHelp != nullptr) {
    text += command.moreHelp();
  }
  return text;
}

std::string RulesHelp() {
  std::string text = "\nrules (CODE, and the VB compiler's warnings for the same fault):\n";
  for (const CheckRule& rule : CheckRules()) {
    std::string lines =
        Wrapped(std::string(rule.summary) +
                    (rule.vbWarnings.empty() ? "" : " (" + std::string(rule.vbWarnings) + ")"),
                10);
    text += "  " + std::string(rule.code) + "  " + lines.substr(10);
  }
  return text;
}

const Command* FindCommand(std::string_view name) {
  for (const Command& command : Commands()) {
    if (command.name == name) {
      return &command;
    }
  }
  return nullptr;
}

bool IsHelp(std::string_view argument) {
  return argument == "--help" || argument == "-h";
}

// What the command line asks for: a command to run, or a text to print.
struct Request {
  const Command* command = nullptr;  // null: print `text` and exit 0
  std::string text;
  Arguments arguments;
  std::vector<std::string_view> given;  // the options on the command line
};

Request Parse(const std::vector<std::string>& arguments) {
  if (arguments.empty()) {
    throw UsageError{"no command given"};
  }
  const std::string& first = arguments[0];
  if (IsHelp(first) || first == "help") {
    if (first == "help" && arguments.size() > 1) {
      const Command* command = FindCommand(arguments[1]);
      if (command == nullptr) {
        throw UsageError{"unknown command '" + arguments[1] + "'"};
      }
      return {nullptr, CommandHelp(*command), {}, {}};
    }
    return {nullptr, Usage(), {}, {}};
  }
  if (first == "--version") {
    return {nullptr, "tarnwick-doc " TARNWICK_VERSION_TEXT "\n", {}, {}};
  }
  const Command* command = FindCommand(first);
  if (command == nullptr) {
    throw UsageError{"unknown command '" + first + "'"};
  }
  Request request{command, {}, {}, {}};
  std::vector<std::string_view>& given = request.given;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (IsHelp(argument)) {
      return {nullptr, CommandHelp(*command), {}, {}};
    }
    const auto option = std::find_if(command->options.begin(), command->options.end(),
                                     [&](const Option& each) { return each.name == argument; });
    if (option != command->options.end()) {
      if (!option->value.empty() && i + 1 == arguments.size()) {
        throw UsageError{argument + " needs a value"};
      }
      option->set(request.arguments, option->value.empty() ? std::string() : arguments[++i]);
      given.push_back(option->name);
    } else if (argument.starts_with("--")) {
      throw UsageError{"unknown option '" + argument + "' for " + first};
    } else {
      request.arguments.paths.push_back(argument);
    }
  }
  for (const Option& option : command->options) {
    if (option.required && std::find(given.begin(), given.end(), option.name) == given.end()) {
      throw UsageError{first + " needs " + std::string(option.name) + " " +
                       std::string(option.value)};
    }
  }
  if (request.arguments.paths.empty()) {
    throw UsageError{"no PATH given"};
  }
  request.arguments.given.assign(given.begin(), given.end());
  return request;
}

}  // namespace

int RunDocCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  try {
    Request request = Parse(arguments);
    if (request.command == nullptr) {
      out << request.text;
      return kDocDone;
    }
    Session session(std::move(request.arguments), request.command->stage, out, err);
    if (session.modules.empty() && session.status == kDocBadInput) {
      return session.status;  // nothing could be read: no empty documentation in its place
    }
    request.command->run(session);
    return session.status;
  } catch (const UsageError& error) {
    err << "tarnwick-doc: " << error.message << "\n" << Usage();
    return kDocBadInput;
  }
}

}  // namespace tarnwick
