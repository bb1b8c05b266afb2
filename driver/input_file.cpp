#include "driver/input_file.h"

#include "driver/free_format_reader.h"

namespace kestral {

std::string read_input_file(const std::filesystem::path& path, const std::string& name, int unit) {
  try {
    return files::read_input_file(path);
  } catch (const files::InputFileError& error) {
    const std::string cannot = "cannot read file " + name + ", unit " + std::to_string(unit);
    switch (error.failure()) {
      case files::InputFailure::kMissing:
        return {};
      case files::InputFailure::kUnreadable:
        throw InputError(cannot);
      case files::InputFailure::kNotRegular:
      case files::InputFailure::kTooLarge:
        break;
    }
    throw InputError(cannot + ": " + error.what());
  }
}

}  // namespace kestral
