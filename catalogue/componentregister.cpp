#include "catalogue/componentregister.h"

#include <algorithm>
#include <cassert>

#include "base/format.h"
#include "base/numberparse.h"
#include "catalogue/actree.h"

namespace trelkan {
namespace {

constexpr std::string_view kComponentsHeader = "[Components]";
constexpr std::string_view kPairsHeader = "[Pairs]";
constexpr std::string_view kSequencesHeader = "[Sequences]";

// The RLE text of an image is read into this much room; one byte is its terminator.
constexpr int kRleTextRoom = 10000;

bool isVariantLine(std::string_view line) {
    return LineTokens::isBlank(line.front());
}

// A pattern may begin with empty rows, so "$" starts data too; a size line never does.
bool startsLikeRleData(std::string_view line) {
    const char c = line.front();
    return (c >= '0' && c <= '9') || c == 'b' || c == 'o' || c == '$';
}

// A line as it may be shown in a message: control bytes, NUL above all, become "?", and a long
// line is cut.
std::string printable(std::string_view line) {
    constexpr std::size_t kShown = 60;
    std::string shown(line.substr(0, kShown));
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 32) {
            c = '?';
        }
    }
    return line.size() > kShown ? shown + "..." : shown;
}

// The type token: G, then R or S, then at most one of U and X.
std::optional<VariantType> parseVariantType(std::string_view token) {
    if (token.size() < 2 || token.size() > 3 || token[0] != 'G' ||
        (token[1] != 'R' && token[1] != 'S')) {
        return std::nullopt;
    }
    VariantType type;
    type.typeR = token[1] == 'R';
    if (token.size() == 3) {
        if (token[2] == 'U') {
            type.typeU = true;
        } else if (token[2] == 'X') {
            type.typeX = true;
        } else {
            return std::nullopt;
        }
    }
    return type;
}

// Message arguments are formatted with %s, which needs a terminated copy of the token.
std::string asString(std::string_view text) {
    return std::string(text);
}

}  // namespace

std::string LoadError::text() const {
    return line > 0 ? formatMessage("%s:%d: %s\n", path.c_str(), line, message.c_str())
                    : message + "\n";
}

std::unique_ptr<ComponentRegister> ComponentRegister::load(const std::string& path, TextSink& out,
                                                           TextSink& errors, LoadError& error) {
    auto catalogue = std::make_unique<ComponentRegister>(&out, &errors);
    if (!catalogue->readFile(path)) {
        error = std::move(catalogue->m_loadError);
        return nullptr;
    }
    return catalogue;
}

ComponentRegister::ComponentRegister(TextSink* out, TextSink* errors)
    : m_out(out), m_errors(errors) {}

ComponentRegister::~ComponentRegister() = default;

void ComponentRegister::say(std::string_view text) const {
    if (m_out != nullptr) {
        m_out->write(text);
    }
}

void ComponentRegister::warn(std::string_view text) {
    if (m_errors != nullptr) {
        m_errors->write(text);
    }
    m_errorLineOpen = !text.empty() && text.back() != '\n';
}

bool ComponentRegister::readFile(const std::string& path) {
    m_path = path;
    m_reader = std::make_unique<LineReader>(path);
    if (!m_reader->isOpen()) {
        m_loadError = {path, 0, "Definition file cannot be opened: " + path};
        return false;
    }
    if (!nextLine()) {
        return false;
    }
    if (m_line != kComponentsHeader) {
        return fail("[Components] expected");
    }
    if (!readComponentSection()) {
        return false;
    }
    finishComponents();
    if (!readPairSection() || !readSequenceSection()) {
        return false;
    }
    say(formatMessage("Loaded %d components, %d variants\n", m_componentCount, m_variantCount));
    m_reader.reset();
    return true;
}

bool ComponentRegister::nextLine() {
    if (!m_reader->readLine(m_line)) {
        return fail("Unexpected end of file");
    }
    return takeLine();
}

// A NUL byte would end the line early for every reader of C strings, and so change what the
// line says without a word; no line of the file may hold one.
bool ComponentRegister::takeLine() {
    if (m_reader->holdsNul()) {
        return fail("NUL byte in line");
    }
    m_tokens = LineTokens(m_line);
    return true;
}

bool ComponentRegister::fail(std::string_view what) {
    m_loadError = {m_path, m_reader->lineNumber(), std::string(what)};
    return false;
}

bool ComponentRegister::readComponentSection() {
    BasicComponent* current = nullptr;
    for (;;) {
        if (!nextLine()) {
            return false;
        }
        if (m_line == kPairsHeader) {
            return true;
        }
        if (isVariantLine(m_line)) {
            if (current == nullptr) {
                return fail("Variant definition should be preceded by a component definition");
            }
            if (parseVariant(*current) == nullptr) {
                return fail("Syntax error in variant definition");
            }
            continue;
        }
        current = parseComponent();
        if (current == nullptr) {
            // The component does not exist, so neither can the variant lines under it.
            return fail("Syntax error in component definition");
        }
    }
}

BasicComponent& ComponentRegister::addComponent(std::string name, Direction direction,
                                                std::int32_t dx, std::int32_t dy, std::int32_t dt) {
    assert(findComponent(name, true) == nullptr);
    m_components.push_back(std::make_unique<BasicComponent>(this, m_componentCount, std::move(name),
                                                            direction, dx, dy, dt));
    BasicComponent& component = *m_components.back();
    m_componentsByName.emplace(component.name(), &component);
    ++m_componentCount;
    return component;
}

ComponentVariant& ComponentRegister::addVariant(BasicComponent& component, std::string name,
                                                std::int32_t period, std::int32_t maxCompression,
                                                std::int32_t minCompression, VariantType type,
                                                std::shared_ptr<const CellMap> imageMap,
                                                std::shared_ptr<const CellMap> usageMap) {
    assert(findVariant(name, true) == nullptr);
    ComponentVariant& variant = component.addVariant(std::make_unique<ComponentVariant>(
        std::move(name), m_variantCount, component.index(), period, maxCompression, minCompression,
        type.typeR, type.typeU, type.typeX, std::move(imageMap), std::move(usageMap)));
    m_variants.push_back(&variant);
    m_variantsByName.emplace(variant.name(), &variant);
    ++m_variantCount;
    return variant;
}

void ComponentRegister::finishComponents() {
    m_componentList.clear();
    m_maxVariants = 1;
    for (const auto& component : m_components) {
        m_componentList.push_back(component.get());
        m_maxVariants = std::max(m_maxVariants, component->variantCount());
    }
    m_variantList.assign(m_variants.begin(), m_variants.end());
    seedVariantMatrix();
}

bool ComponentRegister::readPairSection() {
    for (;;) {
        if (!nextLine()) {
            return false;
        }
        if (m_line == kSequencesHeader) {
            return true;
        }
        if (!applyPairLine(m_line)) {
            return false;
        }
    }
}

bool ComponentRegister::readSequenceSection() {
    while (m_reader->readLine(m_line)) {
        if (!takeLine() || !applySequenceLine()) {
            return false;
        }
    }
    return true;
}

bool ComponentRegister::applyPairLine(std::string_view line) {
    while (!line.empty() && LineTokens::isBlank(line.front())) {
        line.remove_prefix(1);
    }
    if (line.empty()) {
        return fail("Unrecognised pair");
    }
    std::vector<const ComponentVariant*> firsts;
    if (line.front() == '*') {
        if (!resolvePairName(line.substr(1), firsts)) {
            return false;
        }
        for (const ComponentVariant* variant : firsts) {
            clearColumn(variant->index());
        }
        return true;
    }
    if (const std::size_t star = line.find('*'); star != std::string_view::npos) {
        if (!resolvePairName(line.substr(0, star), firsts)) {
            return false;
        }
        if (star + 1 < line.size()) {
            warn(formatMessage("%s:%d: Text after '*' ignored: %s\n", m_path.c_str(),
                               m_reader->lineNumber(), asString(line.substr(star + 1)).c_str()));
        }
        for (const ComponentVariant* variant : firsts) {
            clearRow(variant->index());
        }
        return true;
    }
    std::size_t split = line.find('-');
    const bool allowed = split == std::string_view::npos;
    if (allowed) {
        split = line.find('+');
    }
    if (split == std::string_view::npos) {
        return fail("Unrecognised pair");
    }
    std::vector<const ComponentVariant*> seconds;
    if (!resolvePairName(line.substr(0, split), firsts) ||
        !resolvePairName(line.substr(split + 1), seconds)) {
        return false;
    }
    for (const ComponentVariant* first : firsts) {
        for (const ComponentVariant* second : seconds) {
            setFollow(*first, *second, allowed);
        }
    }
    return true;
}

bool ComponentRegister::resolvePairName(std::string_view name,
                                        std::vector<const ComponentVariant*>& variants) {
    if (const ComponentVariant* variant = findVariant(name, true)) {
        variants = {variant};
        return true;
    }
    const BasicComponent* component = findComponent(name, false);
    if (component == nullptr) {
        return fail("Unrecognised pair");
    }
    variants.clear();
    for (std::int32_t i = 0; i < component->variantCount(); ++i) {
        variants.push_back(&component->variant(i));
    }
    return true;
}

bool ComponentRegister::applySequenceLine() {
    std::vector<const BasicComponent*> components;
    while (const std::optional<std::string_view> name = m_tokens.next()) {
        if (components.size() == kMaxSequenceLength) {
            return fail("Sequence too long");
        }
        const BasicComponent* component = findComponent(*name, false);
        if (component == nullptr) {
            return fail("Invalid sequence");
        }
        components.push_back(component);
    }
    if (components.size() < 3) {
        return fail("Sequence too short");
    }
    addSequence(components);
    return true;
}

void ComponentRegister::addSequence(const std::vector<const BasicComponent*>& components) {
    assert(components.size() <= kMaxSequenceLength);
    m_sequences.push_back(components);
    std::push_heap(m_sequences.begin(), m_sequences.end(), FewerElementsOnTop{});
}

std::optional<ComponentSequence> ComponentRegister::popSequence() {
    if (m_sequences.empty()) {
        return std::nullopt;
    }
    std::pop_heap(m_sequences.begin(), m_sequences.end(), FewerElementsOnTop{});
    ComponentSequence sequence = std::move(m_sequences.back());
    m_sequences.pop_back();
    return sequence;
}

void ComponentRegister::setTree(std::unique_ptr<ACTree> tree, std::int32_t completeDepth) {
    m_acTree = std::move(tree);
    m_completeDepth = completeDepth;
}

BasicComponent* ComponentRegister::findComponent(std::string_view name, bool quiet) const {
    if (const auto found = m_componentsByName.find(std::string(name));
        found != m_componentsByName.end()) {
        return found->second;
    }
    if (!quiet) {
        say(formatMessage("Unknown component name: %s\n", asString(name).c_str()));
    }
    return nullptr;
}

ComponentVariant* ComponentRegister::findVariant(std::string_view name, bool quiet) const {
    if (const auto found = m_variantsByName.find(std::string(name));
        found != m_variantsByName.end()) {
        return found->second;
    }
    if (!quiet) {
        say(formatMessage("Unknown variant name: %s\n", asString(name).c_str()));
    }
    return nullptr;
}

bool ComponentRegister::parseInteger(std::int32_t minimum, std::int32_t maximum,
                                     std::int32_t& value) {
    const std::optional<std::string_view> token = m_tokens.next();
    if (!token) {
        say("Missing integer value\n");
        return false;
    }
    const NumberReading reading = readSignedNumber(*token);
    if (!reading.valid) {
        say(formatMessage("Invalid integer: %s\n", asString(*token).c_str()));
        return false;
    }
    if (reading.value < minimum) {
        say(formatMessage("Integer value too small (%d) - limit is %d\n", reading.value, minimum));
        return false;
    }
    if (reading.value > maximum) {
        say(formatMessage("Integer value too great (%d) - limit is %d\n", reading.value, maximum));
        return false;
    }
    value = reading.value;
    return true;
}

std::optional<std::int32_t> ComponentRegister::parseField(std::int32_t minimum,
                                                          std::int32_t maximum,
                                                          std::string_view failure) {
    std::int32_t value = 0;
    if (parseInteger(minimum, maximum, value)) {
        return value;
    }
    say(failure);
    return std::nullopt;
}

BasicComponent* ComponentRegister::parseComponent() {
    const std::optional<std::string_view> name = m_tokens.next();
    if (!name) {
        say("Missing component name\n");
        return nullptr;
    }
    if (findComponent(*name, true) != nullptr) {
        say(formatMessage("Duplicate component name: %s\n", asString(*name).c_str()));
        return nullptr;
    }
    const std::optional<std::string_view> word = m_tokens.next();
    if (!word) {
        say("Missing direction\n");
        return nullptr;
    }
    const std::optional<Direction> direction = parseDirectionWord(*word);
    if (!direction) {
        say(formatMessage("Unrecognized direction: %s\n", asString(*word).c_str()));
        return nullptr;
    }
    const std::optional<std::int32_t> dt = parseField(1, kMaxDelay, "Invalid DT\n");
    if (!dt) {
        return nullptr;
    }
    const std::optional<std::int32_t> dx = parseField(-kMaxOffset, kMaxOffset, "Invalid DX\n");
    if (!dx) {
        return nullptr;
    }
    const std::optional<std::int32_t> dy = parseField(-kMaxOffset, kMaxOffset, "Invalid DY\n");
    if (!dy) {
        return nullptr;
    }
    return &addComponent(std::string(*name), *direction, *dx, *dy, *dt);
}

ComponentVariant* ComponentRegister::parseVariant(BasicComponent& component) {
    const std::optional<std::string_view> name = m_tokens.next();
    if (!name) {
        say("Missing variant name\n");
        return nullptr;
    }
    if (findVariant(*name, true) != nullptr) {
        say(formatMessage("Duplicate variant name: %s\n", asString(*name).c_str()));
        return nullptr;
    }
    const std::optional<std::int32_t> period = parseField(1, kMaxPeriod, "Invalid period\n");
    if (!period) {
        return nullptr;
    }
    const std::optional<std::int32_t> maxCompression =
        parseField(1, kMaxCompression, "Invalid maximum compression\n");
    if (!maxCompression) {
        return nullptr;
    }
    std::int32_t minCompression = 0;
    if (!parseInteger(0, kMaxCompression, minCompression) ||
        (minCompression != 0 && minCompression < *maxCompression)) {
        say("Invalid minimum compression\n");
        return nullptr;
    }
    const std::optional<std::string_view> typeToken = m_tokens.next();
    const std::optional<VariantType> type = typeToken ? parseVariantType(*typeToken) : std::nullopt;
    if (!type) {
        say("Invalid variant type\n");
        return nullptr;
    }
    std::shared_ptr<const CellMap> image = parseCellMap(true);
    if (!image) {
        say("Invalid variant image\n");
        return nullptr;
    }
    std::shared_ptr<const CellMap> usage = parseCellMap(false);
    if (!usage) {
        say("Invalid variant usage\n");
        return nullptr;
    }
    ComponentVariant& variant =
        addVariant(component, std::string(*name), *period, *maxCompression, minCompression, *type,
                   std::move(image), std::move(usage));
    if (!variant.isUsable()) {
        reportUnusable(variant);
    }
    return &variant;
}

void ComponentRegister::reportUnusable(const ComponentVariant& variant) {
    const auto named = [this](const char* what, const CellMap* map) {
        const auto path = m_refusedMapPaths.find(map);
        return path == m_refusedMapPaths.end()
                   ? std::string(what)
                   : formatMessage("%s (%s)", what, path->second.c_str());
    };
    const bool image = variant.imageMap()->isEmpty();
    const bool usage = variant.usageMap()->isEmpty();
    std::string maps;
    if (image) {
        maps = named("image", variant.imageMap().get());
    }
    if (usage) {
        maps += (image ? " and " : "") + named("usage map", variant.usageMap().get());
    }
    // "RLE too big" has no line end of its own.
    warn(formatMessage("%sVariant %s is never placed: its %s could not be read\n",
                       m_errorLineOpen ? "\n" : "", variant.name().c_str(), maps.c_str()));
}

std::shared_ptr<const CellMap> ComponentRegister::parseCellMap(bool wantImage) {
    const std::optional<std::string_view> token = m_tokens.next();
    if (!token) {
        say("Missing cell map\n");
        return nullptr;
    }
    if (token->front() == '=') {
        const std::string_view name = token->substr(1);
        const ComponentVariant* shared = findVariant(name, false);
        if (shared == nullptr) {
            say(formatMessage("Invalid variant name: %s\n", asString(name).c_str()));
            return nullptr;
        }
        return wantImage ? shared->imageMap() : shared->usageMap();
    }
    const std::string path(*token);
    LineReader image(path);
    if (!image.isOpen()) {
        say(formatMessage("Invalid image filename: %s\n", path.c_str()));
        return nullptr;
    }
    const std::optional<std::string> text = readRleText(image, path);
    if (!text) {
        say(formatMessage("Invalid image file: %s\n", path.c_str()));
        return nullptr;
    }
    const std::optional<std::int32_t> dx =
        parseField(-kMaxOffset, kMaxOffset, "Invalid cell map DX\n");
    if (!dx) {
        return nullptr;
    }
    const std::optional<std::int32_t> dy =
        parseField(-kMaxOffset, kMaxOffset, "Invalid cell map DY\n");
    if (!dy) {
        return nullptr;
    }
    auto map = std::make_shared<const CellMap>(*dx, *dy, *text);
    if (map->refusal() != CellMap::Refusal::kNone) {
        warn(CellMap::refusalMessage(map->refusal()));
        m_refusedMapPaths.emplace(map.get(), path);
    }
    return map;
}

// The pattern lines of an RLE file, joined, up to the line that holds the "!". Leading lines
// that do not start like pattern data (the size and rule line) are skipped; one that is not the
// size line may be data misread, so it is named. Null when no "!" was found within the room for
// the text.
std::optional<std::string> ComponentRegister::readRleText(LineReader& image,
                                                          const std::string& path) {
    std::string text;
    std::string line;
    bool ended = false;
    while (!ended && kRleTextRoom - static_cast<int>(text.size()) >= 2) {
        if (!image.readLine(line, kRleTextRoom - static_cast<int>(text.size()))) {
            break;
        }
        if (text.empty() && !startsLikeRleData(line)) {
            if (line.front() != 'x') {
                warn(formatMessage("%s:%d: Line before the pattern skipped: %s\n", path.c_str(),
                                   image.lineNumber(), printable(line).c_str()));
            }
            continue;
        }
        text += line;
        ended = line.find('!') != std::string::npos;
    }
    if (!ended || text.empty()) {
        return std::nullopt;
    }
    return text;
}

}  // namespace trelkan
