// Another program (the timetabler) holding a table while a test runs: a child process opens the
// table with the given share mode, reports whether it could, and keeps it until the object goes,
// or for the given milliseconds.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

#include "tables/table.h"

namespace tpd::test {

class OtherProgram {
 public:
  OtherProgram(const std::u16string& folder, const std::u16string& table, Share share,
               int milliseconds = 0) {
    if (pipe(ready_) != 0 || pipe(go_) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
      char c = 0;
      try {
        Table t(folder, table);
        t.Open(share, Access::kReadOnly);
        c = 1;
        (void)!write(ready_[1], &c, 1);
        if (milliseconds > 0) {
          usleep(static_cast<useconds_t>(milliseconds) * 1000);
        } else {
          (void)!read(go_[0], &c, 1);
        }
      } catch (...) {
        (void)!write(ready_[1], &c, 1);
      }
      _exit(0);
    }
    char c = 0;
    held_ = read(ready_[0], &c, 1) == 1 && c == 1;
  }
  ~OtherProgram() {
    char c = 0;
    (void)!write(go_[1], &c, 1);
    int status = 0;
    waitpid(pid_, &status, 0);
    for (int fd : {ready_[0], ready_[1], go_[0], go_[1]}) close(fd);
  }
  OtherProgram(const OtherProgram&) = delete;
  OtherProgram& operator=(const OtherProgram&) = delete;

  // True once the other program has the table open.
  bool held() const { return held_; }

 private:
  int ready_[2], go_[2];
  pid_t pid_ = -1;
  bool held_ = false;
};

}  // namespace tpd::test
