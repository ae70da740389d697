#include "render/vector_tables.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/whole_file.h"
#include "core/write_failure.h"

int FormatTableValue(float value, int width, char* text, size_t size) {
  const double widened = value;
#ifdef _WIN32
  // The C runtime writes at least three exponent digits; mingw's own printf
  // family would write two.
  int length = _snprintf(text, size, "%*.8e", width, widened);
  text[size - 1] = '\0';
  if (length < 0 || static_cast<size_t>(length) >= size) length = static_cast<int>(size) - 1;
#else
  int length = std::snprintf(text, size, "%*.8e", width, widened);
  if (length < 0) length = 0;
  if (static_cast<size_t>(length) >= size) length = static_cast<int>(size) - 1;
#endif
  return length;
}

namespace {

// One table file, written whole (core/whole_file.h). A file that could not
// be begun, or failed while being written, has no stream and takes no more
// writes. The first value written to a file carries the field width.
struct TableFile {
  const char* name;
  int component;
  WholeFile file;
  std::FILE* stream = nullptr;
  int width = kFirstValueWidth;
  bool failed = false;
};

void ReportFailure(TableFile& table, const std::string& reason) {
  ReportWriteFailure(table.name, reason.c_str());
  table.failed = true;
}

void WriteValue(TableFile& table, float value) {
  char text[48];
  const int length = FormatTableValue(value, table.width, text, sizeof text);
  table.width = 0;
  std::fwrite(text, 1, static_cast<size_t>(length), table.stream);
}

// Ends the line and flushes it; a failed write abandons the table for good.
void EndLine(TableFile& table) {
  std::fputc('\n', table.stream);
  // errno is not cleared first: a write that failed inside an earlier
  // fwrite left its reason there, and successful calls leave it alone.
  if (std::fflush(table.stream) != 0 || std::ferror(table.stream)) {
    const int error = errno;
    AbandonWholeFile(&table.file);
    table.stream = nullptr;
    ReportFailure(table, std::strerror(error ? error : EIO));
  }
}

}  // namespace

bool WriteVectorTables(const Workspace& workspace, const char* i_name, const char* j_name,
                       const char* k_name) {
  workspace.observer->StageStarted(RunStage::kVectorTables);

  const FieldGrid& field = workspace.field_grid;
  TableFile tables[3] = {{i_name, 0, {}}, {j_name, 1, {}}, {k_name, 2, {}}};
  for (TableFile& table : tables) {
    std::string reason;
    // Text mode: the platform's line end.
    if (BeginWholeFile(table.name, true, true, &table.file, &reason))
      table.stream = table.file.stream;
    else
      ReportFailure(table, reason);
  }

  for (int l = 0; l < kPictureSide; ++l) {
    for (int m = 0; m < kPictureSide - 1; ++m)
      for (TableFile& table : tables) {
        if (!table.stream) continue;
        WriteValue(table, field[l][m][table.component]);
        std::fputc(',', table.stream);
      }
    for (TableFile& table : tables) {
      if (!table.stream) continue;
      WriteValue(table, field[l][kPictureSide - 1][table.component]);
      EndLine(table);
    }
  }

  for (TableFile& table : tables) {
    if (!table.stream) continue;
    std::string reason;
    if (!FinishWholeFile(&table.file, &reason)) ReportFailure(table, reason);
    table.stream = nullptr;
  }
  for (const TableFile& table : tables)
    if (table.failed) return false;
  return true;
}
