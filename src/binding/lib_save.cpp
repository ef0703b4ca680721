// src/binding/lib_save.cpp: Dummy.save: a list of rows to a JSON file (through the json module) or a CSV file.
#include <unistd.h>

#include <string>
#include <string_view>
#include <vector>

#include "byte_output.hpp"
#include "kinds/lenient_parse.hpp"
#include "lib_args.hpp"
#include "lib_errors.hpp"
#include "lib_methods.hpp"
#include "sinks/text_forms.hpp"

namespace tarvo::py {
namespace {

enum class Format { Json, Csv };

// The format name is matched loosely ("JSON", " json\n", "ndjson", "text/csv"), after the
// same trimming and full Unicode lower-casing as Python's str.strip().lower() would give.
Format select_format(PyObject* fmt) {
  const Py_ssize_t length = PyUnicode_GetLength(fmt);
  if (length < 0) throw ErrorAlreadySet{};
  Py_ssize_t begin = 0, end = length;
  while (begin < end && is_white_space(PyUnicode_ReadChar(fmt, begin))) ++begin;
  while (end > begin && is_white_space(PyUnicode_ReadChar(fmt, end - 1))) --end;
  Ref trimmed = Ref::checked(PyUnicode_Substring(fmt, begin, end));
  static PyObject* const lower = PyUnicode_InternFromString("lower");  // kept for the process
  if (lower == nullptr) throw ErrorAlreadySet{};
  Ref lowered = Ref::checked(PyObject_CallMethodObjArgs(trimmed.get(), lower, nullptr));
  const std::string_view text = utf8(lowered.get());
  if (text.find("json") != std::string_view::npos) return Format::Json;
  if (text.find("csv") != std::string_view::npos) return Format::Csv;
  PyErr_SetString(PyExc_ValueError, "Invalid format. Choose either `json` or `csv`.");
  throw ErrorAlreadySet{};
}

// Dummy.save's failures read as they always have: "{description} (os error N)".
constexpr auto kSaveErrors = ByteOutput::Errors::Save;

void print_completion(const std::string& path) {
  std::string line = "Successfully saved to " + path + "\n";
  try {
    ByteOutput::to_descriptor(STDOUT_FILENO, kSaveErrors).write(line);
  } catch (const ErrorAlreadySet&) {
    // The file is complete; a closed or full standard output must not turn that into a failure.
    PyErr_Clear();
  }
}

// Lays out compact json.dumps text (separators ", " and ": ") exactly as json.dumps(...,
// indent=4) would. The interpreter encodes with its C accelerator only when there is no indent;
// with one it falls back to pure Python, several times slower than the encoding itself. So the
// compact text is encoded in C and indented here, byte for byte the same.
std::string indent_json(std::string_view compact) {
  std::string out;
  out.reserve(compact.size() + compact.size() / 2);
  std::size_t level = 0;
  auto new_line = [&] {
    out.push_back('\n');
    out.append(4 * level, ' ');
  };
  for (std::size_t i = 0; i < compact.size(); ++i) {
    const char c = compact[i];
    switch (c) {
      case '"': {
        const std::size_t start = i++;
        while (i < compact.size() && compact[i] != '"') i += compact[i] == '\\' ? 2 : 1;
        out.append(compact.substr(start, i - start + 1));
        break;
      }
      case '[':
      case '{': {
        const char close = c == '[' ? ']' : '}';
        if (i + 1 < compact.size() && compact[i + 1] == close) {
          out.push_back(c);
          out.push_back(close);
          ++i;
          break;
        }
        out.push_back(c);
        ++level;
        new_line();
        break;
      }
      case ']':
      case '}':
        --level;
        new_line();
        out.push_back(c);
        break;
      case ',':
        out.push_back(',');
        new_line();
        if (i + 1 < compact.size() && compact[i + 1] == ' ') ++i;
        break;
      case ':':
        out.append(": ");
        if (i + 1 < compact.size() && compact[i + 1] == ' ') ++i;
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

void save_json(PyObject* data, const std::string& path) {
  Ref json = Ref::checked(PyImport_ImportModule("json"));
  static PyObject* const name = PyUnicode_InternFromString("dumps");  // kept for the process
  if (name == nullptr) throw ErrorAlreadySet{};
  Ref dumps = Ref::checked(PyObject_GetAttr(json.get(), name));
  Ref text = Ref::checked(PyObject_CallFunctionObjArgs(dumps.get(), data, nullptr));
  const std::string indented = indent_json(str_to_utf8(text.get()));
  text = Ref();  // the compact text can be as large as the file: free it before writing
  ByteOutput::open_path(path, kSaveErrors).write(indented);
  print_completion(path);
}

// Appends the UTF-8 text of `str`, with U+FFFD for code points that have no UTF-8 form (lone
// surrogates) instead of failing: a CSV field is never lost to its encoding.
void append_lossy(std::string& out, PyObject* str) {
  Py_ssize_t size = 0;
  if (const char* text = PyUnicode_AsUTF8AndSize(str, &size)) {
    out.append(text, static_cast<std::size_t>(size));
    return;
  }
  PyErr_Clear();
  const Py_ssize_t length = PyUnicode_GetLength(str);
  for (Py_ssize_t i = 0; i < length; ++i) {
    char32_t c = PyUnicode_ReadChar(str, i);
    if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
}

// The field text of a value: its str(), or "<unprintable T object>" when str() raises (the
// exception goes to the unraisable hook, as the interpreter does for errors it cannot raise).
void append_value_text(std::string& out, PyObject* value) {
  if (PyUnicode_CheckExact(value)) {
    append_lossy(out, value);
    return;
  }
  Ref text = Ref::steal(PyObject_Str(value));
  if (text) {
    append_lossy(out, text.get());
    return;
  }
  // Only errors of the value itself are reported and replaced; KeyboardInterrupt, SystemExit
  // and the like stop the call, or Ctrl-C during a long save would be swallowed.
  if (!PyErr_ExceptionMatches(PyExc_Exception)) throw ErrorAlreadySet{};
  PyErr_WriteUnraisable(value);
  Ref name = Ref::steal(PyObject_GetAttrString(reinterpret_cast<PyObject*>(Py_TYPE(value)),
                                               "__name__"));
  if (name && PyUnicode_Check(name.get())) {
    out += "<unprintable ";
    append_lossy(out, name.get());
    out += " object>";
  } else {
    PyErr_Clear();
    out += "<unprintable object>";
  }
}

// Long loops look at pending signals now and then, so Ctrl-C ends them like any Python loop.
constexpr Py_ssize_t kSignalCheckInterval = 4096;

// The keys of the first row when it is a dict: they name the columns. Null when the first
// element is missing or is not a dict, which gives an empty file.
Ref column_keys(PyObject* data) {
  if (PyList_Size(data) == 0) return Ref();
  Ref first = Ref::borrow(PyList_GetItem(data, 0));
  if (!first) throw ErrorAlreadySet{};
  if (!PyDict_Check(first.get())) return Ref();
  return Ref::checked(PyDict_Keys(first.get()));
}

std::string header_line(PyObject* keys) {
  const Py_ssize_t columns = PyList_Size(keys);
  std::vector<std::string_view> names;
  for (Py_ssize_t c = 0; c < columns; ++c) names.push_back(str_to_utf8(PyList_GetItem(keys, c)));
  return csv_header_line(names);
}

void save_csv(PyObject* data, const std::string& path) {
  // Every key is converted before the file is opened: a bad key leaves an existing file as it
  // was, as a failing json.dumps does on the JSON path.
  Ref keys = column_keys(data);
  std::string header = keys ? header_line(keys.get()) : std::string();
  ByteOutput file = ByteOutput::open_path(path, kSaveErrors);
  if (!keys) return;
  const Py_ssize_t columns = PyList_Size(keys.get());
  BufferedLines out(file);
  out.line() = std::move(header);
  out.end_line();
  std::string field;

  const Py_ssize_t initial_length = PyList_Size(data);
  for (Py_ssize_t i = 0; i < initial_length && i < PyList_Size(data); ++i) {
    // A value's __str__ may change the list; the row must outlive that.
    if (i % kSignalCheckInterval == 0) check(PyErr_CheckSignals());
    Ref row = Ref::borrow(PyList_GetItem(data, i));
    if (!row || !PyDict_Check(row.get())) continue;
    const std::size_t line_start = out.line().size();
    for (Py_ssize_t c = 0; c < columns; ++c) {
      if (c > 0) out.line().push_back(',');
      Ref value = Ref::borrow(PyDict_GetItemWithError(row.get(), PyList_GetItem(keys.get(), c)));
      if (!value) {
        PyErr_Clear();  // missing key, or a failing __eq__/__hash__: an empty field
        continue;
      }
      field.clear();
      append_value_text(field, value.get());
      append_csv_field(out.line(), field);
    }
    if (columns == 1 && out.line().size() == line_start) out.line() += "\"\"";
    out.end_line();
  }
  out.flush();
  print_completion(path);
}

}  // namespace

Ref save(PyObject* args, PyObject* kwargs) {
  const auto [data, filename, fmt] =
      bind<3>("Dummy.save()", {"data", "filename", "fmt"}, args, kwargs);
  convert_argument("data", [&] { expect_instance(data, Target::List); });
  const std::string_view name = convert_argument("filename", [&] { return str_to_utf8(filename); });
  convert_argument("fmt", [&] { return str_to_utf8(fmt); });

  const Format format = select_format(fmt);
  std::string path(name);
  path += format == Format::Json ? ".json" : ".csv";
  if (format == Format::Json) {
    save_json(data, path);
  } else {
    save_csv(data, path);
  }
  return Ref::borrow(Py_None);
}

}  // namespace tarvo::py
