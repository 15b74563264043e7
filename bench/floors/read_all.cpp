// The floor of a whole run: a plain program that opens and reads every file
// below DIR once, as any program working on that machine must at least do.
// Without DIR it exits at once (the floor of starting a program).
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace {

void ReadAll(const std::string& dir) {
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  char buffer[65536];
  while (dirent* entry = readdir(d)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    std::string path = dir + "/" + entry->d_name;
    if (entry->d_type == DT_DIR) {
      ReadAll(path);
      continue;
    }
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) continue;
    while (read(fd, buffer, sizeof buffer) > 0) {
    }
    close(fd);
  }
  closedir(d);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) ReadAll(argv[1]);
  return 0;
}
