#include "driver/batch_table_target.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

namespace kestral {
namespace {

namespace fs = std::filesystem;

// One file as the table sees it: its identity when it exists, its
// resolved path always.
struct FileKey {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  fs::path path;
};

FileKey key_of(const fs::path& path) {
  FileKey key;
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0) {
    key.exists = true;
    key.device = status.st_dev;
    key.inode = status.st_ino;
  }
  std::error_code error;
  key.path = fs::weakly_canonical(fs::absolute(path, error), error);
  if (error) key.path = fs::absolute(path, error).lexically_normal();
  return key;
}

bool same_file(const FileKey& a, const FileKey& b) {
  if (a.exists && b.exists) return a.device == b.device && a.inode == b.inode;
  return a.path == b.path;
}

}  // namespace

std::string table_collision(const BatchOptions& options) {
  if (!options.csv_to_file) return {};
  const FileKey table = key_of(options.csv);
  const std::string is = "the table " + options.csv + " is ";
  if (options.shared_gauss && same_file(table, key_of(options.gauss))) {
    return is + "the shared quadrature file";
  }
  for (const std::string& folder : options.folders) {
    const fs::path path(folder);
    if (same_file(table, key_of(path / "KESTRAL.in"))) {
      return is + "the problem file of folder " + folder;
    }
    if (!options.shared_gauss && same_file(table, key_of(path / "gauss.qua"))) {
      return is + "the quadrature file of folder " + folder;
    }
    if (same_file(table, key_of(path / "KESTRAL.out"))) return is + "the report of folder " + folder;
  }
  return {};
}

}  // namespace kestral
