// The converter table: building, ordering and the queries on it.
#include "engine/converter.h"

#include <algorithm>
#include <cctype>
#include <limits>

Converter* CurrentConverter = nullptr;

namespace {

// Byte-wise lower-casing through tolower in the "C" locale; the length and
// every byte outside A-Z stay as they are.
std::string SortKey(const std::string& name) {
  std::string key = name;
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return key;
}

}  // namespace

void Converter::Clear() {
  entries.clear();
  fromIndex.clear();
}

void Converter::AddEntry(std::int32_t fromId, std::int32_t toId, const std::string& fromName,
                         const std::string& toName, double factor) {
  entries.push_back({fromId, toId, fromName, toName, SortKey(fromName), SortKey(toName), factor});
}

void Converter::AddConversion(std::int32_t fromId, std::int32_t toId, std::string fromName,
                              std::string toName, double factor) {
  AddEntry(fromId, toId, fromName, toName, factor);
  AddEntry(toId, fromId, toName, fromName, 1.0 / factor);
}

// std::string compares its bytes as unsigned char, shorter string first on a
// common prefix: the order the lists need.
void Converter::Finish() {
  std::sort(entries.begin(), entries.end(), [](const ConversionEntry& a, const ConversionEntry& b) {
    return a.fromKey < b.fromKey;
  });
  fromIndex.clear();
  std::size_t runStart = 0;
  while (runStart < entries.size()) {
    const std::int32_t fromId = entries[runStart].fromId;
    fromIndex.emplace(fromId, runStart);
    std::size_t runEnd = runStart + 1;
    while (runEnd < entries.size() && entries[runEnd].fromId == fromId) ++runEnd;
    std::sort(entries.begin() + runStart, entries.begin() + runEnd,
              [](const ConversionEntry& a, const ConversionEntry& b) { return a.toKey < b.toKey; });
    runStart = runEnd;
  }
}

std::vector<std::string> Converter::FromUnitNames() const {
  std::vector<std::string> names;
  std::size_t i = 0;
  while (i < entries.size()) {
    names.push_back(entries[i].fromName);
    const std::string& key = entries[i].fromKey;
    while (i < entries.size() && entries[i].fromKey == key) ++i;
  }
  return names;
}

std::int32_t Converter::FromUnitIdAt(std::int32_t position) const {
  if (position < 0) return 0;
  std::int32_t run = 0;
  std::size_t i = 0;
  while (i < entries.size()) {
    const std::int32_t fromId = entries[i].fromId;
    if (run == position) return fromId;
    while (i < entries.size() && entries[i].fromId == fromId) ++i;
    ++run;
  }
  return 0;
}

std::vector<std::string> Converter::ToUnitNames(std::int32_t fromId) const {
  std::vector<std::string> names;
  const auto found = fromIndex.find(fromId);
  if (found == fromIndex.end()) return names;
  for (std::size_t i = found->second; i < entries.size() && entries[i].fromId == fromId; ++i) {
    names.push_back(entries[i].toName);
  }
  return names;
}

// A position past the end of the unit's own run finds no unit: answering with
// the next run's target would hand the dialog a unit of another source.
std::int32_t Converter::ToUnitIdAt(std::int32_t fromId, std::int32_t position) const {
  const auto found = fromIndex.find(fromId);
  if (found == fromIndex.end() || position < 0) return 0;
  const std::size_t i = found->second + static_cast<std::size_t>(position);
  if (i >= entries.size() || entries[i].fromId != fromId) return 0;
  return entries[i].toId;
}

std::string Converter::UnitName(std::int32_t id) const {
  const auto found = fromIndex.find(id);
  if (found == fromIndex.end()) return "Null";
  return entries[found->second].fromName;
}

double Converter::Factor(std::int32_t fromId, std::int32_t toId) const {
  const auto found = fromIndex.find(fromId);
  if (found != fromIndex.end()) {
    for (std::size_t i = found->second; i < entries.size() && entries[i].fromId == fromId; ++i) {
      if (entries[i].toId == toId) return entries[i].factor;
    }
  }
  return std::numeric_limits<double>::infinity();
}
