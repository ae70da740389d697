#include "render/vector_tables.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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

// One table file. A file that could not be opened, or failed while being
// written, has no stream and takes no more writes. The first value written to
// a file carries the field width.
struct TableFile {
  const char* name;
  int component;
  std::FILE* stream = nullptr;
  int width = kFirstValueWidth;
  bool failed = false;
};

void ReportFailure(TableFile& table, int error) {
  ReportWriteFailure(table.name, std::strerror(error ? error : EIO));
  table.failed = true;
}

void WriteValue(TableFile& table, float value) {
  char text[48];
  const int length = FormatTableValue(value, table.width, text, sizeof text);
  table.width = 0;
  std::fwrite(text, 1, static_cast<size_t>(length), table.stream);
}

// Ends the line and flushes it; a failed write closes the table for good.
void EndLine(TableFile& table) {
  std::fputc('\n', table.stream);
  errno = 0;
  if (std::fflush(table.stream) != 0 || std::ferror(table.stream)) {
    const int error = errno;
    std::fclose(table.stream);
    table.stream = nullptr;
    ReportFailure(table, error);
  }
}

}  // namespace

bool WriteVectorTables(const Workspace& workspace, const char* i_name, const char* j_name,
                       const char* k_name) {
  std::puts("   +Writing   Vector   Data   Files  +\n");

  const FieldGrid& field = workspace.field_grid;
  TableFile tables[3] = {{i_name, 0}, {j_name, 1}, {k_name, 2}};
  for (TableFile& table : tables) {
    errno = 0;
    table.stream = std::fopen(table.name, "w");  // text mode: the platform's line end
    if (!table.stream) ReportFailure(table, errno);
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
    errno = 0;
    if (std::fclose(table.stream) != 0) ReportFailure(table, errno);
  }
  for (const TableFile& table : tables)
    if (table.failed) return false;
  return true;
}
