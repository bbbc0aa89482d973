#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
  CLI::App app{"transpelcardruv"};
  app.set_version_flag("--version", std::string("transpelcardruv ") + TPD_VERSION);
  CLI11_PARSE(app, argc, argv);
  return 0;
}
