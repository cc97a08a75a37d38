#include "cfgdiff/TextForm.h"

#include <algorithm>
#include <charconv>

#include "cfgdiff/ImageTree.h"
#include "common/Format.h"
#include "common/TextCodec.h"
#include "model/Config.h"
#include "model/ConfigTree.h"

namespace vlm {

namespace {

constexpr const char* kHeaderWord = "заголовок";

std::string Indent(int depth) { return std::string(static_cast<size_t>(depth) * 2, ' '); }

// A caption must not look like the separator of the value.
std::string CleanCaption(std::string caption) {
  std::replace(caption.begin(), caption.end(), '=', '-');
  std::replace(caption.begin(), caption.end(), '\n', ' ');
  return caption;
}

uint64_t LittleEndian(std::span<const uint8_t> bytes) {
  uint64_t value = 0;
  for (size_t i = bytes.size(); i-- > 0;) value = value << 8 | bytes[i];
  return value;
}

// The text of a short string when it reads back to the same bytes, else nothing.
std::optional<std::string> QuotedText(std::span<const uint8_t> payload) {
  if (payload.empty() || payload[0] >= payload.size()) return std::nullopt;
  const std::string dos(payload.begin() + 1, payload.begin() + 1 + payload[0]);
  for (unsigned char c : dos)
    if (c < 0x20 || c == 0x7F) return std::nullopt;
  for (size_t i = 1 + dos.size(); i < payload.size(); ++i)
    if (payload[i] != 0) return std::nullopt;
  const std::string utf8 = DosToUtf8(dos);
  if (Utf8ToDos(utf8) != dos) return std::nullopt;
  std::string quoted = "\"";
  for (char c : utf8) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  if (payload.size() != dos.size() + 1) quoted += Format(" pad %d", {payload.size()});
  return quoted;
}

// The value of an item in a form that states its own width; hex when nothing else is exact.
std::string ValueText(const TImageBox& box, const TItemShow& show, std::span<const uint8_t> payload,
                      std::string& note) {
  const size_t n = payload.size();
  switch (show.as) {
    case TShowAs::Ip:
      if (n == 4) return "ip " + IpText(static_cast<uint32_t>(LittleEndian(payload)));
      break;
    case TShowAs::Text:
    case TShowAs::Text256:
      if (auto quoted = QuotedText(payload)) return *quoted;
      break;
    case TShowAs::Signed:
      if (n == 1 || n == 2 || n == 4) {
        const int shift = 64 - 8 * static_cast<int>(n);
        const auto value = static_cast<int64_t>(LittleEndian(payload) << shift) >> shift;
        return Format("i%d %d", {n * 8, value});
      }
      break;
    case TShowAs::Number:
    case TShowAs::HardPort:
      if (n == 1 || n == 2 || n == 4) {
        const std::string shown = ShowValue(box, show, payload);
        const std::string plain = std::to_string(LittleEndian(payload));
        if (shown != plain) note = shown;
        return Format("u%d %s", {n * 8, plain});
      }
      break;
    default: break;
  }
  return payload.empty() ? "hex" : "hex " + HexBytes(payload);
}

void BoxText(const TImageBox& box, int depth, std::string& out) {
  for (const TImageRecord& r : box.records) {
    if (r.box) {
      out += Indent(depth) + Format("[%d] ", {r.id}) + r.box->Title() + "\n";
      BoxText(*r.box, depth + 1, out);
      continue;
    }
    const TItemShow show = DescribeItem(box, r.id, r.occurrence);
    std::string line = Indent(depth);
    if (r.tag != kTagItem) line += Format("@%.2x ", {r.tag});
    line += std::to_string(r.id);
    if (!show.caption.empty()) line += " " + CleanCaption(show.caption);
    if (show.as == TShowAs::Rows && show.table && show.table->rowSize &&
        r.payload.size() % show.table->rowSize == 0) {
      const size_t size = show.table->rowSize;
      out += line + Format(" = rows %d", {size});
      const auto titles = RowColumnTitles(show);
      if (!titles.empty()) {
        std::string joined;
        for (const auto& t : titles) joined += (joined.empty() ? "" : " | ") + t;
        out += "  # " + joined;
      }
      out += "\n";
      const auto cells = ShowRows(show, r.payload);
      for (size_t i = 0; i * size < r.payload.size(); ++i) {
        out += Indent(depth + 1) + "- " + HexBytes(r.payload.subspan(i * size, size));
        if (!titles.empty() && i < cells.size()) {
          std::string joined;
          for (const auto& c : cells[i]) joined += (joined.empty() ? "" : " | ") + c;
          out += "  # " + joined;
        }
        out += "\n";
      }
      continue;
    }
    std::string note;
    line += " = " + ValueText(box, show, r.payload, note);
    if (!note.empty()) line += "  # " + note;
    out += line + "\n";
  }
}

}  // namespace

std::string ConfigToText(const TLoadedImage& image) {
  std::string out = Format("# Конфигуратор ВЕЛМОР %s: текст конфигурации, одна строка на элемент образа\n",
                           {kProgramVersion});
  out += "# velmorctl cfg from-text строит из него тот же образ; размер и контрольная сумма считаются заново\n";
  const auto bytes = image.Bytes();
  for (size_t i = 0; i < kHeaderSize; i += 16)
    out += std::string(kHeaderWord) + " " + HexBytes(bytes.subspan(i, 16)) + "\n";
  BoxText(image.Root(), 0, out);
  return out;
}

ETextFormError::ETextFormError(int lineNumber, const std::string& what)
    : std::runtime_error(what), line(lineNumber) {}

namespace {

class TTextReader {
 public:
  TTextReader(std::string_view text, std::map<size_t, int>* lines) : text_(text), lines_(lines) {}

  std::vector<uint8_t> Read() {
    while (NextLine()) {
      std::string_view s = Trimmed(line_);
      if (s.empty() || s.front() == '#') continue;
      if (s.starts_with(kHeaderWord)) {
        Header(s.substr(std::string_view(kHeaderWord).size()));
        continue;
      }
      if (header_.size() != kHeaderSize) Fail("перед записями нужен заголовок из 144 байт");
      if (s.front() == '-') {
        Row(s.substr(1));
        continue;
      }
      rowsOpen_ = false;
      const size_t spaces = line_.find_first_not_of(' ');
      if (spaces % 2) Fail("отступ должен быть чётным числом пробелов");
      Nest(static_cast<int>(spaces / 2));
      if (s.front() == '[')
        Container(s);
      else
        Item(s);
    }
    if (header_.size() != kHeaderSize) Fail("нет заголовка из 144 байт");
    while (!open_.empty()) Close();
    const size_t size = kHeaderSize + image_.size() + 2;
    if (size > kImageCapacity) Fail(Format("образ в %d байт больше предельных %d", {size, kImageCapacity}));
    TConfig cfg;
    cfg.Clear();
    std::copy(header_.begin(), header_.end(), cfg.Data());
    std::copy(image_.begin(), image_.end(), cfg.Data() + kHeaderSize);
    cfg.Position = kHeaderSize + image_.size();
    cfg.FinishImage();
    const auto out = cfg.Image();
    return {out.begin(), out.end()};
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const { throw ETextFormError(number_, what); }
  // The record about to start at the end of image_ comes from the current line.
  void NoteLine() {
    if (lines_) (*lines_)[kHeaderSize + image_.size()] = number_;
  }

  static std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
  }

  bool NextLine() {
    if (pos_ >= text_.size()) return false;
    const size_t end = text_.find('\n', pos_);
    line_ = text_.substr(pos_, end == std::string_view::npos ? std::string_view::npos : end - pos_);
    if (!line_.empty() && line_.back() == '\r') line_.remove_suffix(1);
    pos_ = end == std::string_view::npos ? text_.size() : end + 1;
    ++number_;
    return true;
  }

  // "XX XX ..." up to a comment.
  std::vector<uint8_t> HexList(std::string_view s) const {
    std::vector<uint8_t> bytes;
    s = Trimmed(s.substr(0, s.find('#')));
    while (!s.empty()) {
      const size_t blank = s.find(' ');
      const std::string_view word = s.substr(0, blank);
      unsigned value = 0;
      const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value, 16);
      if (ec != std::errc() || end != word.data() + word.size() || word.size() > 2)
        Fail("не байт в шестнадцатеричном виде: " + std::string(word));
      bytes.push_back(static_cast<uint8_t>(value));
      s = blank == std::string_view::npos ? std::string_view{} : Trimmed(s.substr(blank));
    }
    return bytes;
  }

  void Header(std::string_view s) {
    const auto bytes = HexList(s);
    header_.insert(header_.end(), bytes.begin(), bytes.end());
    if (header_.size() > kHeaderSize) Fail("заголовок длиннее 144 байт");
  }

  void Nest(int depth) {
    if (depth > static_cast<int>(open_.size())) Fail("отступ глубже, чем открытых контейнеров");
    while (static_cast<int>(open_.size()) > depth) Close();
  }

  void Close() {
    const size_t start = open_.back();
    open_.pop_back();
    const size_t length = image_.size() - start;
    if (length > 0xFFFF) Fail(Format("контейнер со смещения %d длиннее 65535 байт", {start + kHeaderSize}));
    image_[start + 2] = static_cast<uint8_t>(length);
    image_[start + 3] = static_cast<uint8_t>(length >> 8);
  }

  uint8_t Id(std::string_view& s) const {
    size_t n = 0;
    while (n < s.size() && s[n] >= '0' && s[n] <= '9') ++n;
    unsigned id = 0;
    if (n == 0 || std::from_chars(s.data(), s.data() + n, id).ec != std::errc() || id > 255)
      Fail("нет номера записи 0..255 в начале строки");
    s.remove_prefix(n);
    return static_cast<uint8_t>(id);
  }

  void Container(std::string_view s) {
    s.remove_prefix(1);
    const uint8_t id = Id(s);
    if (s.empty() || s.front() != ']') Fail("после номера контейнера нужна \"]\"");
    open_.push_back(image_.size());
    NoteLine();
    image_.insert(image_.end(), {kTagContainer, id, 0, 0});
  }

  void Item(std::string_view s) {
    uint8_t tag = kTagItem;
    if (s.front() == '@') {
      const auto bytes = HexList(s.substr(1, 2));
      if (bytes.size() != 1 || s.size() < 4) Fail("после \"@\" нужен тег записи из двух шестнадцатеричных цифр");
      tag = bytes[0];
      s = Trimmed(s.substr(3));
    }
    const uint8_t id = Id(s);
    const size_t eq = s.find(" = ");
    if (eq == std::string_view::npos) Fail("нет \" = \" между названием и значением");
    const std::vector<uint8_t> payload = Value(Trimmed(s.substr(eq + 3)));
    if (payload.size() + 4 > 0xFFFF) Fail("значение длиннее записи");
    const size_t length = payload.size() + 4;
    NoteLine();
    image_.insert(image_.end(), {tag, id, static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8)});
    image_.insert(image_.end(), payload.begin(), payload.end());
    if (rowsOpen_) rowsItem_ = image_.size() - length;
  }

  std::vector<uint8_t> Value(std::string_view v) {
    if (v.starts_with("\"")) return Quoted(v);
    const size_t blank = v.find(' ');
    const std::string_view type = v.substr(0, blank);
    std::string_view rest = blank == std::string_view::npos ? std::string_view{} : Trimmed(v.substr(blank));
    rest = Trimmed(rest.substr(0, rest.find('#')));
    if (type == "hex") return HexList(rest);
    if (type == "rows") {
      rowSize_ = Number(rest, 1, 0xFFFF);
      rowsOpen_ = true;
      return {};
    }
    if (type == "ip") return Ip(rest);
    for (int bits : {8, 16, 32}) {
      const int64_t span = int64_t{1} << bits;
      if (type == "u" + std::to_string(bits)) return Bytes(Number(rest, 0, span - 1), bits / 8);
      if (type == "i" + std::to_string(bits)) return Bytes(Number(rest, -span / 2, span / 2 - 1), bits / 8);
    }
    Fail("неизвестный вид значения: " + std::string(type) + " (u8 u16 u32 i8 i16 i32 ip hex rows \"текст\")");
  }

  int64_t Number(std::string_view s, int64_t min, int64_t max) const {
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) Fail("не число: " + std::string(s));
    if (value < min || value > max)
      Fail(Format("число %d вне пределов %d..%d", {value, min, max}));
    return value;
  }

  static std::vector<uint8_t> Bytes(int64_t value, int width) {
    std::vector<uint8_t> out;
    for (int i = 0; i < width; ++i) out.push_back(static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i)));
    return out;
  }

  std::vector<uint8_t> Ip(std::string_view s) const {
    uint32_t value = 0;
    int parts = 0;
    while (parts < 4) {
      const size_t dot = s.find('.');
      value = value << 8 | static_cast<uint32_t>(Number(s.substr(0, dot), 0, 255));
      ++parts;
      if (dot == std::string_view::npos) break;
      s.remove_prefix(dot + 1);
    }
    if (parts != 4) Fail("адрес должен быть вида a.b.c.d");
    return Bytes(value, 4);
  }

  std::vector<uint8_t> Quoted(std::string_view v) {
    std::string utf8;
    size_t i = 1;
    for (; i < v.size() && v[i] != '"'; ++i) {
      if (v[i] == '\\' && i + 1 < v.size()) ++i;
      utf8 += v[i];
    }
    if (i >= v.size()) Fail("строка без закрывающей кавычки");
    if (!IsValidUtf8(utf8)) Fail("строка не в UTF-8");
    const std::string dos = Utf8ToDos(utf8);
    if (dos.size() > 255) Fail(Format("строка длиннее 255 знаков (%d)", {dos.size()}));
    std::vector<uint8_t> out{static_cast<uint8_t>(dos.size())};
    out.insert(out.end(), dos.begin(), dos.end());
    std::string_view rest = Trimmed(v.substr(i + 1));
    rest = Trimmed(rest.substr(0, rest.find('#')));
    if (rest.starts_with("pad")) {
      const auto size = static_cast<size_t>(Number(Trimmed(rest.substr(3)), 1, 0xFFFF));
      if (size < out.size()) Fail(Format("строка длиннее поля в %d байт", {size}));
      out.resize(size, 0);
    } else if (!rest.empty()) {
      Fail("после строки ожидается только \"pad N\"");
    }
    return out;
  }

  void Row(std::string_view s) {
    if (!rowsOpen_) Fail("строка таблицы без записи \"rows\" перед ней");
    const auto bytes = HexList(s);
    if (bytes.size() != rowSize_) Fail(Format("в строке таблицы %d байт, а должно быть %d", {bytes.size(), rowSize_}));
    image_.insert(image_.end(), bytes.begin(), bytes.end());
    const size_t length = image_.size() - rowsItem_;
    if (length > 0xFFFF) Fail("таблица длиннее записи");
    image_[rowsItem_ + 2] = static_cast<uint8_t>(length);
    image_[rowsItem_ + 3] = static_cast<uint8_t>(length >> 8);
  }

  std::string_view text_;
  std::map<size_t, int>* lines_;
  size_t pos_ = 0;
  std::string_view line_;
  int number_ = 0;
  std::vector<uint8_t> header_;
  std::vector<uint8_t> image_;  // the records after the header
  std::vector<size_t> open_;    // starts of the open containers in image_
  bool rowsOpen_ = false;
  size_t rowSize_ = 0;
  size_t rowsItem_ = 0;
};

}  // namespace

std::vector<uint8_t> ConfigFromText(std::string_view text, std::map<size_t, int>* lines) {
  return TTextReader(text, lines).Read();
}

}  // namespace vlm
