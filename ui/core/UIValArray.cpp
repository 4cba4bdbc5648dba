#include "UIValArray.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace SkinUI {

namespace {
constexpr int kFirstCapacity = 11;
}

CUIValArray::CUIValArray(int elementSize, int preallocate) : m_elementSize(elementSize > 0 ? elementSize : 1) {
    if (preallocate > 0 && preallocate <= INT_MAX / m_elementSize) {
        m_data = static_cast<char*>(malloc(static_cast<size_t>(preallocate) * m_elementSize));
        if (m_data) m_capacity = preallocate;
    }
}

CUIValArray::CUIValArray(const CUIValArray& other) : m_elementSize(other.m_elementSize) {
    for (int i = 0; i < other.m_count; ++i) Add(other[i]);
}

CUIValArray& CUIValArray::operator=(const CUIValArray& other) {
    if (this == &other) return *this;
    Clear();
    m_elementSize = other.m_elementSize;
    for (int i = 0; i < other.m_count; ++i) Add(other[i]);
    return *this;
}

CUIValArray::~CUIValArray() { free(m_data); }

bool CUIValArray::ReserveForOneMore() {
    if (m_count + 1 < m_capacity) return true;
    int capacity = m_capacity == 0 ? kFirstCapacity : m_capacity * 2;
    if (m_capacity > INT_MAX / 2 || capacity > INT_MAX / m_elementSize) return false;
    char* block = static_cast<char*>(realloc(m_data, static_cast<size_t>(capacity) * m_elementSize));
    if (!block) return false;
    m_data = block;
    m_capacity = capacity;
    return true;
}

bool CUIValArray::Add(const void* element) {
    if (!element) return false;
    const char* source = static_cast<const char*>(element);
    if (m_data && source >= m_data && source < m_data + m_count * m_elementSize) {
        // An element of this array: growing may move it, so add a copy.
        CUIValArray copy(m_elementSize, 1);
        copy.Add(element);
        return Add(copy.m_data);
    }
    if (!ReserveForOneMore()) return false;
    memcpy(m_data + m_count * m_elementSize, element, static_cast<size_t>(m_elementSize));
    ++m_count;
    return true;
}

bool CUIValArray::Remove(int index) {
    if (index < 0 || index >= m_count) return false;
    --m_count;
    char* at = m_data + index * m_elementSize;
    memmove(at, at + m_elementSize, static_cast<size_t>(m_count - index) * m_elementSize);
    return true;
}

void* CUIValArray::GetAt(int index) const {
    if (index < 0 || index >= m_count) return nullptr;
    return m_data + index * m_elementSize;
}

void CUIValArray::Clear() {
    free(m_data);
    m_data = nullptr;
    m_count = 0;
    m_capacity = 0;
}

}  // namespace SkinUI
