#include "cli/usage_error.h"

#include <cctype>

namespace tpd {
namespace {

std::string Quoted(const std::string& word) { return "«" + word + "»"; }

// "a", "a y b", "a, b y c" (or with "o").
std::string Listed(const std::vector<std::string>& words, const char* last_joint) {
  std::string text;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) text += i + 1 == words.size() ? std::string(" ") + last_joint + " " : ", ";
    text += words[i];
  }
  return text;
}

std::vector<std::string> CommandNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* sub : app.get_subcommands({})) names.push_back(sub->get_name());
  return names;
}

// The command that was recognised, if any (the console takes one at most).
const CLI::App* GivenCommand(const CLI::App& app) {
  const std::vector<CLI::App*> given = app.get_subcommands();
  return given.empty() ? nullptr : given.front();
}

bool LooksLikeOption(const std::string& word) { return word.size() > 1 && word[0] == '-'; }

// The options a user may write, without the help flag.
std::vector<const CLI::Option*> UserOptions(const CLI::App& cmd) {
  std::vector<const CLI::Option*> options;
  for (const CLI::Option* o : cmd.get_options()) {
    if (o != cmd.get_help_ptr() && o->nonpositional()) options.push_back(o);
  }
  return options;
}

// How an option is written: "--carpeta DIR", "--resumen".
std::string Written(const CLI::Option& o) {
  const std::string value = o.get_type_name();
  return o.get_expected_max() == 0 || value.empty() ? o.get_name() : o.get_name() + " " + value;
}

// The option of `cmd` (or positional argument) that the parser's message names. The message's
// wording is the parser's; the names in it are ours, so only they are looked for.
const CLI::Option* OptionNamedIn(const CLI::App& cmd, const std::string& message) {
  auto name_char = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_';
  };
  for (const CLI::Option* o : cmd.get_options()) {
    const std::string name = o->get_name();
    for (std::size_t at = message.find(name); at != std::string::npos;
         at = message.find(name, at + 1)) {
      const std::size_t end = at + name.size();
      if ((at == 0 || !name_char(message[at - 1])) &&
          (end == message.size() || !name_char(message[end]))) {
        return o;
      }
    }
  }
  return nullptr;
}

// An option of some command written before any command: "--carpeta X exportar".
std::string MisplacedOption(const CLI::App& app, const CLI::App* given, const std::string& word) {
  const std::string name = word.substr(0, word.find('='));
  std::vector<const CLI::App*> commands;
  if (given != nullptr) commands.push_back(given);
  for (const CLI::App* sub : app.get_subcommands({})) commands.push_back(sub);
  for (const CLI::App* sub : commands) {
    for (const CLI::Option* o : UserOptions(*sub)) {
      if (o->get_name() == name) {
        return "La opción " + o->get_name() + " va detrás de la orden, por ejemplo: " +
               app.get_name() + " " + sub->get_name() + " " + Written(*o) + ".";
      }
    }
  }
  return "";
}

// Words the parser could place nowhere. Those it met before a command (or with no command at
// all) stay with the top level; those after a command, with the command.
std::string Extras(const CLI::App& app, const CLI::App* given) {
  const std::vector<std::string> before = app.remaining(false);
  if (given == nullptr || !before.empty()) {
    if (before.empty()) return "La orden está mal escrita.";
    const std::string word = before.front();
    if (LooksLikeOption(word)) {
      const std::string misplaced = MisplacedOption(app, given, word);
      if (!misplaced.empty()) return misplaced;
      return "Opción desconocida: " + Quoted(word) + ". Antes de la orden sólo se admiten --help "
             "y --version.";
    }
    if (given != nullptr) {
      return "Sobra el argumento " + Quoted(word) + ": se da una sola orden cada vez, con sus "
             "opciones detrás.";
    }
    return "Orden desconocida: " + Quoted(word) + ". Las órdenes son " +
           Listed(CommandNames(app), "y") + ".";
  }
  const std::vector<std::string> extra = given->remaining(false);
  if (extra.empty()) return "La orden está mal escrita.";
  const std::string word = extra.front();
  const std::string command = given->get_name();
  if (LooksLikeOption(word)) {
    std::vector<std::string> names;
    for (const CLI::Option* o : UserOptions(*given)) names.push_back(o->get_name());
    return "La orden " + command + " no tiene la opción " + Quoted(word) + "; las suyas son " +
           Listed(names, "y") + ".";
  }
  for (const std::string& name : CommandNames(app)) {
    if (name == word) {
      return "Sobra el argumento " + Quoted(word) + ": se da una sola orden cada vez.";
    }
  }
  std::vector<std::string> positionals;
  for (const CLI::Option* o : given->get_options()) {
    if (o->get_positional()) positionals.push_back(o->get_name());
  }
  if (positionals.empty()) {
    return "Sobra el argumento " + Quoted(word) + ": la orden " + command +
           " no lleva argumentos.";
  }
  return "Sobra el argumento " + Quoted(word) + ": la orden " + command + " sólo lleva " +
         Listed(positionals, "y") + ".";
}

std::string WhatWasWrong(const CLI::ParseError& e, const CLI::App& app) {
  const CLI::App* given = GivenCommand(app);
  const CLI::App& cmd = given != nullptr ? *given : app;
  const std::string message = e.what();

  if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) return Extras(app, given);

  if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr) {
    const CLI::Option* o = OptionNamedIn(cmd, message);
    if (o == nullptr) return "Falta el valor de una opción, o una opción se ha dado dos veces.";
    if (o->count() > 1) return "La opción " + o->get_name() + " se ha dado más de una vez.";
    return "Falta el valor de la opción " + o->get_name() + " (" + Written(*o) + ").";
  }

  if (dynamic_cast<const CLI::RequiredError*>(&e) != nullptr) {
    for (const CLI::Option* o : cmd.get_options()) {
      if (o->get_required() && o->count() == 0) {
        return "Falta el argumento " + o->get_name() + ": " + app.get_name() + " " +
               cmd.get_name() + " " + o->get_name() + ".";
      }
    }
    return "Falta un argumento obligatorio.";
  }

  if (dynamic_cast<const CLI::ConversionError*>(&e) != nullptr ||
      dynamic_cast<const CLI::ValidationError*>(&e) != nullptr) {
    const CLI::Option* o = OptionNamedIn(cmd, message);
    if (o == nullptr) return "Una opción tiene un valor que no vale.";
    const std::string value = o->results().empty() ? std::string() : o->results().back();
    if (o->get_expected_max() == 0) {
      return "La opción " + o->get_name() + " no lleva valor (se ha escrito " + Quoted(value) +
             ").";
    }
    return "El valor " + Quoted(value) + " no vale para la opción " + o->get_name() + ".";
  }

  // The parser has further kinds (options that exclude or require others, configuration files)
  // that this command line never sets up.
  return "La orden está mal escrita.";
}

// The help of the command the error is about; the general help for what came before a command.
std::string WhereTheHelpIs(const CLI::App& app, const CLI::App* about) {
  return "Más información: " + app.get_name() + (about ? " " + about->get_name() : "") +
         " --help";
}

}  // namespace

std::vector<std::string> UsageErrorLines(const CLI::ParseError& e, const CLI::App& app) {
  const bool before_command = dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr &&
                              !app.remaining(false).empty();
  return {WhatWasWrong(e, app), WhereTheHelpIs(app, before_command ? nullptr : GivenCommand(app))};
}

std::vector<std::string> MissingCommandLines(const CLI::App& app) {
  return {"Falta la orden: " + Listed(CommandNames(app), "o") + ".", WhereTheHelpIs(app, nullptr)};
}

}  // namespace tpd
