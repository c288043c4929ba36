#include "libs/exeicons/PeResourceTree.h"

#include "libs/exeicons/ExeIconLimits.h"
#include "libs/exeicons/LeReader.h"

#include <algorithm>

namespace exeicons {
namespace {

constexpr uint64_t kDirectoryBytes = 16;    // IMAGE_RESOURCE_DIRECTORY
constexpr uint64_t kEntryBytes = 8;         // IMAGE_RESOURCE_DIRECTORY_ENTRY
constexpr uint64_t kDataEntryBytes = 16;    // IMAGE_RESOURCE_DATA_ENTRY
constexpr uint32_t kHighBit = 0x80000000u;
constexpr uint16_t kRtIcon = 3;
constexpr uint16_t kRtGroupIcon = 14;

bool IsNamed(const PeResourceTree::Entry& e) { return (e.name & kHighBit) != 0; }
bool IsDirectory(const PeResourceTree::Entry& e) { return (e.target & kHighBit) != 0; }
uint32_t TargetOffset(const PeResourceTree::Entry& e) { return e.target & ~kHighBit; }
bool HasId(const PeResourceTree::Entry& e, uint16_t id) { return !IsNamed(e) && e.name == id; }

void AppendUtf8(std::string* out, uint32_t c) {
    if (c < 0x80) {
        out->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (c >> 6)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (c >> 12)));
        out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (c >> 18)));
        out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(LeReader& r, uint64_t at, uint32_t units) {
    std::string text;
    for (uint32_t i = 0; i < units; ++i) {
        uint32_t c = r.u16(at + 2 * i);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units) {
            const uint32_t low = r.u16(at + 2 * (i + 1));
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        AppendUtf8(&text, (c >= 0xD800 && c < 0xE000) ? 0xFFFD : c);
    }
    return text;
}

} // namespace

ExeIconError PeResourceTree::Open(const ByteSource& source, const PeHeaders& headers,
                                  std::unique_ptr<PeResourceTree>* out) {
    if (headers.resourceRva == 0)
        return ExeIconError::kNoResources;
    std::unique_ptr<PeResourceTree> tree(new PeResourceTree(source, headers));
    const auto root = tree->readDirectory(0, {});
    if (!root)
        return ExeIconError::kDamagedResources;

    tree->readType(*root, kRtGroupIcon, &tree->groupTypeOffset_, &tree->groups_);
    tree->readType(*root, kRtIcon, &tree->iconTypeOffset_, &tree->icons_);
    for (size_t i = 0; i < tree->icons_.size(); ++i)
        if (!IsNamed(tree->icons_[i]) && tree->icons_[i].name <= 0xFFFF)
            tree->iconById_.emplace(static_cast<uint16_t>(tree->icons_[i].name), i);   // keeps the first
    *out = std::move(tree);
    return ExeIconError::kNone;
}

void PeResourceTree::readType(const std::vector<Entry>& root, uint16_t type, uint32_t* offset,
                              std::vector<Entry>* names) {
    // The first entry of the type counts; one that is not a directory, or
    // whose directory cannot be read, leaves the type empty.
    const auto it = std::find_if(root.begin(), root.end(), [type](const Entry& e) { return HasId(e, type); });
    if (it == root.end() || !IsDirectory(*it))
        return;
    const uint32_t rootOffset = 0;
    auto entries = readDirectory(TargetOffset(*it), std::span<const uint32_t>(&rootOffset, 1));
    if (!entries)
        return;
    *offset = TargetOffset(*it);
    *names = std::move(*entries);
}

std::optional<std::vector<uint8_t>> PeResourceTree::readTree(uint64_t offset, uint64_t length) const {
    const auto at = headers_.fileOffset(uint64_t{headers_.resourceRva} + offset, length);
    if (!at)
        return std::nullopt;
    return source_.read(*at, length);
}

std::optional<std::vector<PeResourceTree::Entry>> PeResourceTree::readDirectory(
    uint32_t offset, std::span<const uint32_t> ancestors) {
    if (ancestors.size() >= static_cast<size_t>(kMaxTreeDepth) ||
        std::find(ancestors.begin(), ancestors.end(), offset) != ancestors.end())
        return std::nullopt;   // too deep, or a loop back to a directory above
    const auto head = readTree(offset, kDirectoryBytes);
    if (!head)
        return std::nullopt;
    LeReader h(*head);
    const uint32_t declared = uint32_t{h.u16(12)} + h.u16(14);
    const uint32_t count = std::min(declared, kMaxDirectoryEntries);
    if (count > kMaxTreeEntries - entriesRead_)
        return std::nullopt;   // the walk has read its fill
    entriesRead_ += count;

    const auto body = readTree(uint64_t{offset} + kDirectoryBytes, count * kEntryBytes);
    if (!body)
        return std::nullopt;
    LeReader r(*body);
    std::vector<Entry> entries(count);
    for (uint32_t i = 0; i < count; ++i)
        entries[i] = Entry{r.u32(i * kEntryBytes), r.u32(i * kEntryBytes + 4)};
    return entries;
}

std::optional<ResourceBlob> PeResourceTree::readDataEntry(uint32_t offset) const {
    const auto bytes = readTree(offset, kDataEntryBytes);
    if (!bytes)
        return std::nullopt;
    LeReader r(*bytes);
    const uint32_t rva = r.u32(0);
    const uint32_t size = r.u32(4);
    if (size > kMaxReadBytes)
        return std::nullopt;
    // The data's address is an RVA of its own, not an offset in the tree.
    const auto at = headers_.fileOffset(rva, size);
    if (!at || !RangeInside(*at, size, source_.size()))
        return std::nullopt;
    return ResourceBlob{*at, size};
}

std::optional<ResourceBlob> PeResourceTree::firstLanguage(const Entry& nameEntry, uint32_t typeOffset) {
    if (!IsDirectory(nameEntry))
        return std::nullopt;
    const uint32_t ancestors[] = {0, typeOffset};
    const auto languages = readDirectory(TargetOffset(nameEntry), ancestors);
    if (!languages)
        return std::nullopt;
    // A language entry must be a leaf; one that is not, or is damaged, is
    // passed over for the next language.
    for (const Entry& language : *languages) {
        if (IsDirectory(language))
            continue;
        if (auto blob = readDataEntry(TargetOffset(language)))
            return blob;
    }
    return std::nullopt;
}

ResourceName PeResourceTree::readName(const Entry& entry) const {
    ResourceName name;
    if (!IsNamed(entry)) {
        name.id = static_cast<uint16_t>(entry.name);
        return name;
    }
    name.named = true;
    // IMAGE_RESOURCE_DIR_STRING_U: a count of UTF-16 units, then the units.
    // An unreadable name leaves the text empty; the resource is still usable.
    const uint64_t at = entry.name & ~kHighBit;
    const auto count = readTree(at, 2);
    if (!count)
        return name;
    const uint32_t units = std::min<uint32_t>(LeReader(*count).u16(0), kMaxNameChars);
    if (const auto chars = readTree(at + 2, uint64_t{units} * 2)) {
        LeReader r(*chars);
        name.text = Utf16ToUtf8(r, 0, units);
    }
    return name;
}

std::optional<GroupResource> PeResourceTree::group(size_t index) {
    if (index >= groups_.size())
        return std::nullopt;
    const auto blob = firstLanguage(groups_[index], groupTypeOffset_);
    if (!blob)
        return std::nullopt;
    return GroupResource{readName(groups_[index]), *blob};
}

std::optional<ResourceBlob> PeResourceTree::icon(uint16_t id) {
    const auto it = iconById_.find(id);
    if (it == iconById_.end())
        return std::nullopt;
    return firstLanguage(icons_[it->second], iconTypeOffset_);
}

} // namespace exeicons
