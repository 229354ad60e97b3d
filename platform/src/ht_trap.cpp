// Trap registry of the call-recording runtime: armed conditions by normalised
// code location and the queue of evaluated trap helpers.
#include <cstring>

#include "ht/HtRuntime.h"

namespace ht {

namespace {
template <class T>
bool Holds(ETrapCompare op, const T& left, const T& right) {
    switch (op) {
        case ETrapCompare::Equal: return left == right;
        case ETrapCompare::NotEqual: return left != right;
        case ETrapCompare::Less: return left < right;
        case ETrapCompare::LessEqual: return left <= right;
        case ETrapCompare::Greater: return left > right;
        case ETrapCompare::GreaterEqual: return left >= right;
    }
    return false;
}
}  // namespace

TSTrapItem TSTrapItem::Signed(ETrapCompare op, long long operand) {
    TSTrapItem item;
    item.m_kind = 0;
    item.m_op = op;
    item.m_signed = operand;
    return item;
}

TSTrapItem TSTrapItem::Unsigned(ETrapCompare op, unsigned long long operand) {
    TSTrapItem item;
    item.m_kind = 1;
    item.m_op = op;
    item.m_unsigned = operand;
    return item;
}

TSTrapItem TSTrapItem::Text(ETrapCompare op, const std::string& operand) {
    TSTrapItem item;
    item.m_kind = 2;
    item.m_op = op;
    item.m_text = operand;
    return item;
}

bool TSTrapItem::EvaluateResult(long long value) const {
    return m_kind == 0 && Holds(m_op, value, m_signed);
}

bool TSTrapItem::EvaluateResult(unsigned long long value) const {
    return m_kind == 1 && Holds(m_op, value, m_unsigned);
}

bool TSTrapItem::EvaluateResult(const std::string& value) const {
    return m_kind == 2 && Holds(m_op, value, m_text);
}

// ---------------------------------------------------------------------------
TCTrapCondition& TCTrapCondition::AddItem(int index, const TSTrapItem& item) {
    m_items[index].push_back(item);
    return *this;
}

bool TCTrapCondition::ItemExists(int index) const {
    auto it = m_items.find(index);
    return it != m_items.end() && !it->second.empty();
}

const std::vector<TSTrapItem>& TCTrapCondition::GetItemsByIndex(int index) const {
    static const std::vector<TSTrapItem> kNone;
    auto it = m_items.find(index);
    return it == m_items.end() ? kNone : it->second;
}

// ---------------------------------------------------------------------------
TCTrapArgumentHelper::TCTrapArgumentHelper(std::shared_ptr<const TCTrapCondition> condition, std::string location)
    : m_condition(std::move(condition)), m_location(std::move(location)) {}

// ---------------------------------------------------------------------------
TCTrapPattern* TCTrapPattern::Instance() {
    static TCTrapPattern* instance = new TCTrapPattern();
    return instance;
}

std::string TCTrapPattern::NormalizeCodeLocation(const char* file, int line) const {
    const char* name = file ? file : "";
    if (const char* slash = std::strrchr(name, '/')) name = slash + 1;
    return std::string(name) + ":" + std::to_string(line);
}

std::shared_ptr<const TCTrapCondition> TCTrapPattern::FindTrapCondition(const std::string& location) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_traps.find(location);
    return it == m_traps.end() ? nullptr : it->second;
}

void TCTrapPattern::AddItemToQueue(const TCTrapArgumentHelper& helper) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.push_back(helper);
}

void TCTrapPattern::ArmTrap(const char* file, int line, const TCTrapCondition& condition) {
    std::string where = NormalizeCodeLocation(file, line);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_traps[where] = std::make_shared<const TCTrapCondition>(condition);
    m_bEnabled.store(true, std::memory_order_relaxed);
}

void TCTrapPattern::DisarmTrap(const char* file, int line) {
    std::string where = NormalizeCodeLocation(file, line);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_traps.erase(where);
    m_bEnabled.store(!m_traps.empty(), std::memory_order_relaxed);
}

void TCTrapPattern::ClearTraps() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_traps.clear();
    m_bEnabled.store(false, std::memory_order_relaxed);
}

std::vector<TCTrapArgumentHelper> TCTrapPattern::Queue() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue;
}

void TCTrapPattern::ClearQueue() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.clear();
}

}  // namespace ht
