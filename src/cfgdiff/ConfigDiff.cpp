#include "cfgdiff/ConfigDiff.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <utility>

#include "cfgdiff/ImageTree.h"
#include "common/Format.h"
#include "model/Config.h"

namespace vlm {

namespace {

constexpr uint8_t kGroupContainer = 200;

std::string Join(const std::string& path, const std::string& title) {
  return path.empty() ? title : path + " / " + title;
}

class TDiffer {
 public:
  std::vector<TDiffEntry> entries;

  void Boxes(const TImageBox& a, const TImageBox& b, const std::string& path) {
    Items(a, b, path);
    Children(a, b, path);
  }

 private:
  void Add(TChangeKind kind, std::string path, std::string caption = {}, std::string oldText = {},
           std::string newText = {}) {
    TDiffEntry e;
    e.kind = kind;
    e.path = std::move(path);
    e.caption = std::move(caption);
    e.oldText = std::move(oldText);
    e.newText = std::move(newText);
    entries.push_back(std::move(e));
  }

  static std::string Caption(const TItemShow& show, uint8_t id, int occurrence) {
    if (!show.caption.empty()) return show.caption;
    return occurrence ? Format("элемент %d (%d)", {id, occurrence + 1}) : Format("элемент %d", {id});
  }

  void Items(const TImageBox& a, const TImageBox& b, const std::string& path) {
    // Items in the order of the newer record, then the ones only the older one has.
    std::vector<std::pair<uint8_t, int>> keys;
    for (const TImageBox* box : {&b, &a})
      for (const TImageRecord& r : box->records)
        if (!r.box && std::find(keys.begin(), keys.end(), std::pair{r.id, r.occurrence}) == keys.end())
          keys.emplace_back(r.id, r.occurrence);
    for (auto [id, occurrence] : keys) {
      const TImageRecord* ra = a.FindItem(id, occurrence);
      const TImageRecord* rb = b.FindItem(id, occurrence);
      if (ra && rb && ra->payload.size() == rb->payload.size() &&
          std::equal(ra->payload.begin(), ra->payload.end(), rb->payload.begin()))
        continue;
      const TItemShow show = DescribeItem(rb ? b : a, id, occurrence);
      if (show.isRowCount || show.isChildCount) continue;  // the rows and the objects say it
      if (show.as == TShowAs::Rows) {
        Rows(show, ra ? ra->payload : std::span<const uint8_t>{}, rb ? rb->payload : std::span<const uint8_t>{},
             path);
        continue;
      }
      Add(TChangeKind::Changed, path, Caption(show, id, occurrence),
          ra ? ShowValue(a, show, ra->payload) : "(нет)", rb ? ShowValue(b, show, rb->payload) : "(нет)");
    }
  }

  void Rows(const TItemShow& show, std::span<const uint8_t> pa, std::span<const uint8_t> pb,
            const std::string& path) {
    const auto ra = ShowRows(show, pa), rb = ShowRows(show, pb);
    const auto titles = RowColumnTitles(show);
    auto title = [&](size_t c) { return c < titles.size() ? titles[c] : Format("%d", {c + 1}); };
    auto whole = [&](const std::vector<std::string>& cells) {
      std::string text;
      for (size_t c = 0; c < cells.size(); ++c) {
        if (c) text += "; ";
        text += titles.empty() ? cells[c] : title(c) + "=" + cells[c];
      }
      return text;
    };
    // Rows are sorted while writing, so a row keeps its content rather than its place: equal rows
    // pair first, in order; the rest pair in order as changed rows, the surplus is added or removed.
    std::map<std::vector<std::string>, std::vector<size_t>> unusedOld;
    for (size_t r = ra.size(); r-- > 0;) unusedOld[ra[r]].push_back(r);
    std::vector<bool> oldPaired(ra.size());
    std::vector<size_t> newLeft;
    for (size_t r = 0; r < rb.size(); ++r) {
      auto it = unusedOld.find(rb[r]);
      if (it == unusedOld.end() || it->second.empty()) {
        newLeft.push_back(r);
        continue;
      }
      oldPaired[it->second.back()] = true;
      it->second.pop_back();
    }
    std::vector<size_t> oldLeft;
    for (size_t r = 0; r < ra.size(); ++r)
      if (!oldPaired[r]) oldLeft.push_back(r);
    for (size_t i = 0; i < std::max(oldLeft.size(), newLeft.size()); ++i) {
      TDiffEntry e;
      e.path = path;
      e.caption = show.caption;
      if (i >= oldLeft.size()) {
        e.kind = TChangeKind::RowAdded;
        e.row = static_cast<int>(newLeft[i] + 1);
        e.newText = whole(rb[newLeft[i]]);
      } else if (i >= newLeft.size()) {
        e.kind = TChangeKind::RowRemoved;
        e.row = static_cast<int>(oldLeft[i] + 1);
        e.oldText = whole(ra[oldLeft[i]]);
      } else {
        const auto& a = ra[oldLeft[i]];
        const auto& b = rb[newLeft[i]];
        e.kind = TChangeKind::RowChanged;
        e.row = static_cast<int>(newLeft[i] + 1);
        for (size_t c = 0; c < std::max(a.size(), b.size()); ++c) {
          const std::string oa = c < a.size() ? a[c] : "", nb = c < b.size() ? b[c] : "";
          if (oa != nb) e.cells.push_back({title(c), oa, nb});
        }
      }
      entries.push_back(std::move(e));
    }
  }

  static std::vector<const TImageBox*> Inner(const TImageBox& box, bool groups) {
    std::vector<const TImageBox*> out;
    for (const TImageRecord& r : box.records)
      if (r.box && (r.box->id == kGroupContainer) == groups) out.push_back(r.box.get());
    return out;
  }

  void Children(const TImageBox& a, const TImageBox& b, const std::string& path) {
    // TI groups pair by their number.
    auto ga = Inner(a, true), gb = Inner(b, true);
    Pair(ga, gb, path, [](const TImageBox* x, const TImageBox* y) { return x->Number(128) == y->Number(128); });
    // Objects pair by their node text first; what is left pairs by kind in order (an object whose
    // number changed is the same object with a changed item, not a removal and an addition).
    auto oa = Inner(a, false), ob = Inner(b, false);
    Pair(oa, ob, path, [](const TImageBox* x, const TImageBox* y) { return x->Title() == y->Title(); }, false);
    Pair(oa, ob, path, [](const TImageBox* x, const TImageBox* y) { return x->id == y->id; });
  }

  // Pairs equal boxes (first unmatched of a for each of b, in order) and compares them; with
  // report, what stays unpaired is removed (a) or added (b).
  template <class Same>
  void Pair(std::vector<const TImageBox*>& a, std::vector<const TImageBox*>& b, const std::string& path,
            Same same, bool report = true) {
    std::vector<std::pair<const TImageBox*, const TImageBox*>> pairs;
    for (auto& y : b) {
      if (!y) continue;
      for (auto& x : a)
        if (x && same(x, y)) {
          pairs.emplace_back(x, y);
          x = nullptr;
          y = nullptr;
          break;
        }
    }
    for (auto [x, y] : pairs) Boxes(*x, *y, Join(path, y->Title()));
    std::erase(a, nullptr);
    std::erase(b, nullptr);
    if (!report) return;
    for (const TImageBox* x : a) Add(TChangeKind::Removed, Join(path, x->Title()));
    for (const TImageBox* y : b) Add(TChangeKind::Added, Join(path, y->Title()));
  }
};

const TImageBox* StationBox(const TLoadedImage& image) {
  for (const TImageRecord& r : image.Root().records)
    if (r.box) return r.box.get();
  return nullptr;
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      out += Format("\\u%.4x", {c});
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

const char* KindName(TChangeKind kind) {
  switch (kind) {
    case TChangeKind::Added: return "added";
    case TChangeKind::Removed: return "removed";
    case TChangeKind::Changed: return "changed";
    case TChangeKind::RowAdded: return "row-added";
    case TChangeKind::RowRemoved: return "row-removed";
    case TChangeKind::RowChanged: return "row-changed";
  }
  return "";
}

}  // namespace

TConfigDiff DiffLoaded(const TLoadedImage& before, const TLoadedImage& after) {
  TConfigDiff diff;
  const TImageBox* a = StationBox(before);
  const TImageBox* b = StationBox(after);
  TDiffer differ;
  if (a && b) differ.Boxes(*a, *b, b->Title());
  diff.entries = std::move(differ.entries);
  return diff;
}

TConfigDiff DiffImages(std::span<const uint8_t> before, std::span<const uint8_t> after) {
  if (before.size() == after.size() && std::memcmp(before.data(), after.data(), before.size()) == 0) {
    // Only the checks of the reader, so that a damaged file is not called equal to itself.
    TConfig check;
    check.Load(before);
    TConfigDiff diff;
    diff.identicalBytes = true;
    return diff;
  }
  const TLoadedImage a(before);
  const TLoadedImage b(after);
  return DiffLoaded(a, b);
}

std::string DiffEntryText(const TDiffEntry& e) {
  switch (e.kind) {
    case TChangeKind::Added: return "+ " + e.path;
    case TChangeKind::Removed: return "- " + e.path;
    case TChangeKind::Changed: return "~ " + e.path + ": " + e.caption + ": " + e.oldText + " -> " + e.newText;
    case TChangeKind::RowAdded: return Format("+ %s: %s, строка %d: %s", {e.path, e.caption, e.row, e.newText});
    case TChangeKind::RowRemoved: return Format("- %s: %s, строка %d: %s", {e.path, e.caption, e.row, e.oldText});
    case TChangeKind::RowChanged: {
      std::string text = Format("~ %s: %s, строка %d:", {e.path, e.caption, e.row});
      for (size_t i = 0; i < e.cells.size(); ++i)
        text += (i ? "; " : " ") + e.cells[i].column + ": " + e.cells[i].oldText + " -> " + e.cells[i].newText;
      return text;
    }
  }
  return {};
}

std::string DiffText(const TConfigDiff& diff) {
  if (diff.Equal()) return "Конфигурации совпадают\n";
  std::string text;
  for (const TDiffEntry& e : diff.entries) text += DiffEntryText(e) + "\n";
  return text;
}

std::string DiffJson(const TConfigDiff& diff) {
  std::string json = Format("{\"equal\": %s, \"identicalBytes\": %s, \"changes\": [",
                            {diff.Equal() ? "true" : "false", diff.identicalBytes ? "true" : "false"});
  for (size_t i = 0; i < diff.entries.size(); ++i) {
    const TDiffEntry& e = diff.entries[i];
    json += i ? ",\n  " : "\n  ";
    json += "{\"kind\": \"" + std::string(KindName(e.kind)) + "\", \"path\": " + JsonString(e.path);
    if (!e.caption.empty()) json += ", \"caption\": " + JsonString(e.caption);
    if (e.row) json += Format(", \"row\": %d", {e.row});
    if (e.kind == TChangeKind::Changed || e.kind == TChangeKind::RowRemoved)
      json += ", \"old\": " + JsonString(e.oldText);
    if (e.kind == TChangeKind::Changed || e.kind == TChangeKind::RowAdded)
      json += ", \"new\": " + JsonString(e.newText);
    if (!e.cells.empty()) {
      json += ", \"cells\": [";
      for (size_t c = 0; c < e.cells.size(); ++c)
        json += (c ? ", " : "") + std::string("{\"column\": ") + JsonString(e.cells[c].column) +
                ", \"old\": " + JsonString(e.cells[c].oldText) + ", \"new\": " + JsonString(e.cells[c].newText) + "}";
      json += "]";
    }
    json += "}";
  }
  json += diff.entries.empty() ? "]}\n" : "\n]}\n";
  return json;
}

}  // namespace vlm
