#include "samples/exewriter/ResourceSection.h"

#include <algorithm>

namespace pewriter {
namespace {

constexpr uint32_t kHighBit = 0x80000000u;

struct LanguageNode { uint16_t language; size_t resource; };
struct NameNode { ResId name; std::vector<LanguageNode> languages; };
struct TypeNode { ResId type; std::vector<NameNode> names; };

bool SameId(const ResId& a, const ResId& b) { return a.id == b.id && a.name == b.name; }
bool IdBefore(const ResId& a, const ResId& b) {
    if (a.named() != b.named())
        return a.named();
    return a.named() ? a.name < b.name : a.id < b.id;
}

template <typename Node, typename Key>
Node& FindOrAdd(std::vector<Node>& nodes, const ResId& id, Key key) {
    auto it = std::find_if(nodes.begin(), nodes.end(), [&](const Node& n) { return SameId(n.*key, id); });
    if (it != nodes.end())
        return *it;
    nodes.push_back(Node{id, {}});
    return nodes.back();
}

std::vector<TypeNode> BuildTree(const std::vector<Resource>& resources, bool sortEntries) {
    std::vector<TypeNode> types;
    for (size_t i = 0; i < resources.size(); ++i) {
        TypeNode& t = FindOrAdd(types, resources[i].type, &TypeNode::type);
        NameNode& n = FindOrAdd(t.names, resources[i].name, &NameNode::name);
        n.languages.push_back(LanguageNode{resources[i].language, i});
    }
    if (sortEntries) {
        auto byType = [](const TypeNode& a, const TypeNode& b) { return IdBefore(a.type, b.type); };
        auto byName = [](const NameNode& a, const NameNode& b) { return IdBefore(a.name, b.name); };
        auto byLanguage = [](const LanguageNode& a, const LanguageNode& b) { return a.language < b.language; };
        std::stable_sort(types.begin(), types.end(), byType);
        for (TypeNode& t : types) {
            std::stable_sort(t.names.begin(), t.names.end(), byName);
            for (NameNode& n : t.names)
                std::stable_sort(n.languages.begin(), n.languages.end(), byLanguage);
        }
    }
    return types;
}

uint64_t DirectoryBytes(size_t entries) { return 16 + 8 * entries; }
uint64_t Align(uint64_t v, uint64_t a) { return (v + a - 1) / a * a; }

// Writes a directory header; named entries are counted apart from ids.
template <typename Node, typename Key>
void PutDirectoryHeader(std::vector<uint8_t>& out, uint64_t at, const std::vector<Node>& nodes, Key key) {
    const auto named = std::count_if(nodes.begin(), nodes.end(), [&](const Node& n) { return (n.*key).named(); });
    Put16(out, at + 12, static_cast<uint32_t>(named));
    Put16(out, at + 14, static_cast<uint32_t>(nodes.size() - static_cast<size_t>(named)));
}

class SectionBuilder {
public:
    SectionBuilder(const std::vector<Resource>& resources, uint32_t sectionRva, uint32_t padding)
        : resources_(resources), rva_(sectionRva), root_(padding) {
        image_.root = padding;
        image_.placements.resize(resources.size());
    }

    ResourceSectionImage build(const std::vector<TypeNode>& types) {
        // Directories first, then data entries, strings and data: the layout
        // linkers use, which keeps every directory ahead of what it names.
        uint64_t next = root_ + DirectoryBytes(types.size());
        std::vector<uint64_t> nameDirs, languageDirs;
        for (const TypeNode& t : types) {
            nameDirs.push_back(next);
            next += DirectoryBytes(t.names.size());
        }
        for (const TypeNode& t : types)
            for (const NameNode& n : t.names) {
                languageDirs.push_back(next);
                next += DirectoryBytes(n.languages.size());
            }
        dataEntries_ = next;
        strings_ = dataEntries_ + 16 * resources_.size();
        next = strings_;
        for (const TypeNode& t : types)
            for (const NameNode& n : t.names)
                next = Align(next + namesBytes(t.type) + namesBytes(n.name), 2);
        data_ = Align(next, 8);
        strings_ = Align(strings_, 2);

        writeDirectories(types, nameDirs, languageDirs);
        writeData();
        image_.bytes.resize(std::max<uint64_t>(image_.bytes.size(), root_ + 16));
        return std::move(image_);
    }

private:
    static uint64_t namesBytes(const ResId& id) { return id.named() ? 2 + 2 * id.name.size() : 0; }

    uint32_t nameField(const ResId& id) {
        if (!id.named())
            return id.id;
        const uint64_t at = strings_;
        Put16(image_.bytes, at, static_cast<uint32_t>(id.name.size()));
        for (size_t i = 0; i < id.name.size(); ++i)
            Put16(image_.bytes, at + 2 + 2 * i, id.name[i]);
        strings_ = Align(at + namesBytes(id), 2);
        return kHighBit | static_cast<uint32_t>(at - root_);
    }

    void putEntry(uint64_t at, uint32_t name, uint32_t target) {
        Put32(image_.bytes, at, name);
        Put32(image_.bytes, at + 4, target);
    }

    void writeDirectories(const std::vector<TypeNode>& types, const std::vector<uint64_t>& nameDirs,
                          const std::vector<uint64_t>& languageDirs) {
        PutDirectoryHeader(image_.bytes, root_, types, &TypeNode::type);
        size_t languageDir = 0, dataEntry = 0;
        for (size_t ti = 0; ti < types.size(); ++ti) {
            const TypeNode& t = types[ti];
            putEntry(root_ + 16 + 8 * ti, nameField(t.type), kHighBit | static_cast<uint32_t>(nameDirs[ti] - root_));
            PutDirectoryHeader(image_.bytes, nameDirs[ti], t.names, &NameNode::name);
            for (size_t ni = 0; ni < t.names.size(); ++ni, ++languageDir) {
                const NameNode& n = t.names[ni];
                const uint64_t dir = languageDirs[languageDir];
                putEntry(nameDirs[ti] + 16 + 8 * ni, nameField(n.name), kHighBit | static_cast<uint32_t>(dir - root_));
                Put16(image_.bytes, dir + 14, static_cast<uint32_t>(n.languages.size()));
                for (size_t li = 0; li < n.languages.size(); ++li, ++dataEntry) {
                    const uint64_t entry = dataEntries_ + 16 * dataEntry;
                    putEntry(dir + 16 + 8 * li, n.languages[li].language, static_cast<uint32_t>(entry - root_));
                    image_.placements[n.languages[li].resource] = ResourcePlacement{nameDirs[ti], dir, entry, 0};
                }
            }
        }
    }

    void writeData() {
        uint64_t at = data_;
        for (size_t i = 0; i < resources_.size(); ++i) {
            ResourcePlacement& p = image_.placements[i];
            p.data = at;
            Put32(image_.bytes, p.dataEntry, static_cast<uint32_t>(rva_ + at));
            Put32(image_.bytes, p.dataEntry + 4, static_cast<uint32_t>(resources_[i].data.size()));
            PutBytes(image_.bytes, at, resources_[i].data);
            at = Align(at + resources_[i].data.size(), 8);
        }
        image_.bytes.resize(std::max<uint64_t>(image_.bytes.size(), at));
    }

    const std::vector<Resource>& resources_;
    uint32_t rva_;
    uint64_t root_;
    uint64_t dataEntries_ = 0;
    uint64_t strings_ = 0;
    uint64_t data_ = 0;
    ResourceSectionImage image_;
};

} // namespace

ResourceSectionImage BuildResourceSection(const std::vector<Resource>& resources, uint32_t sectionRva,
                                          uint32_t padding, bool sortEntries) {
    return SectionBuilder(resources, sectionRva, padding).build(BuildTree(resources, sortEntries));
}

} // namespace pewriter
