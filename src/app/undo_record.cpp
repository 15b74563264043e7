#include "app/undo_record.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>

#include "app/file_digest.h"
#include "platform/base/case_rules.h"
#include "platform/base/cp936.h"
#include "platform/base/text.h"
#include "platform/files/files.h"

namespace dxl {

namespace {

using nlohmann::json;

constexpr int kMaxRun = 9999;

json StateJson(const FileState& state) { return {{"size", state.size}, {"sha256", state.sha256}}; }

FileState StateFrom(const json& value) {
  return {value.at("size").get<std::uint64_t>(), value.at("sha256").get<std::string>()};
}

// The run number of a record's file name UNDOnnnn.JSN; 0 for any other name.
int RunOfName(std::string_view name) {
  if (name.size() != 12 || !w95::StartsWithNoCase(name, "UNDO") || !w95::EqualsNoCase(name.substr(8), ".JSN")) return 0;
  int run = 0;
  for (char c : name.substr(4, 4)) {
    if (c < '0' || c > '9') return 0;
    run = run * 10 + (c - '0');
  }
  return run;
}

}  // namespace

std::string UndoDirectory() { return w95::GetWindowsDirectoryA() + "\\DXL"; }

std::string RecordPath(int run) {
  std::array<char, 16> name{};
  std::snprintf(name.data(), name.size(), "\\UNDO%04d.JSN", run);
  return UndoDirectory() + name.data();
}

std::string KeptName(int run, std::size_t index) {
  std::array<char, 16> name{};
  std::snprintf(name.data(), name.size(), "U%04d%03zu.DXU", run, index + 1);
  return name.data();
}

std::vector<int> RecordedRuns() {
  std::vector<int> runs;
  w95::FindData data;
  w95::FindHandle find = w95::FindFirstFileA(UndoDirectory() + "\\UNDO*.JSN", data);
  for (bool more = find.Valid(); more; more = w95::FindNextFileA(find, data)) {
    const int run = RunOfName(data.fileName);
    if (run > 0 && run <= kMaxRun && !(data.attributes & w95::FILE_ATTRIBUTE_DIRECTORY)) runs.push_back(run);
  }
  std::ranges::sort(runs);
  return runs;
}

std::string RecordText(const UndoRecord& record) {
  json files = json::array();
  for (const auto& file : record.files) {
    files.push_back({{"path", w95::Cp936ToUtf8Lossy(file.path)},
                     {"before", file.before ? StateJson(*file.before) : json(nullptr)},
                     {"after", StateJson(file.after)},
                     {"kept", file.kept}});
  }
  json value = {{"run", record.run}, {"started", record.started}, {"files", files}};
  value["undone"] = record.undone.empty() ? json(nullptr) : json(record.undone);
  return value.dump(2) + "\n";
}

std::optional<UndoRecord> ParseRecord(std::string_view text) {
  try {
    const json value = json::parse(text);
    UndoRecord record;
    record.run = value.at("run").get<int>();
    record.started = value.at("started").get<std::string>();
    if (value.contains("undone") && value["undone"].is_string()) record.undone = value["undone"].get<std::string>();
    for (const auto& file : value.at("files")) {
      auto path = w95::Utf8ToCp936(file.at("path").get<std::string>());
      if (!path) return std::nullopt;
      UndoFile entry{*path, std::nullopt, StateFrom(file.at("after")), file.at("kept").get<std::string>()};
      if (!file.at("before").is_null()) entry.before = StateFrom(file.at("before"));
      record.files.push_back(std::move(entry));
    }
    return record;
  } catch (const json::exception&) {
    return std::nullopt;
  }
}

std::optional<UndoRecord> ReadRecord(int run) {
  auto text = w95::ReadWholeFile(RecordPath(run));
  if (!text) return std::nullopt;
  return ParseRecord(*text);
}

bool WriteRecord(const UndoRecord& record) {
  return w95::ReplaceFileAtomically(RecordPath(record.run), RecordText(record));
}

FileState StateOf(std::string_view bytes) { return {bytes.size(), Sha256Hex(bytes)}; }

std::string UtcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  std::array<char, 32> text{};
  std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text.data();
}

}  // namespace dxl
