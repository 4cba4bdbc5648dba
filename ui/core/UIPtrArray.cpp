#include "UIPtrArray.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace SkinUI {

namespace {
constexpr int kFirstCapacity = 11;
}

CUIPtrArray::CUIPtrArray(int preallocate) {
    if (preallocate > 0) {
        m_data = static_cast<void**>(malloc(static_cast<size_t>(preallocate) * sizeof(void*)));
        if (m_data) m_capacity = preallocate;
    }
}

CUIPtrArray::CUIPtrArray(const CUIPtrArray& other) {
    for (int i = 0; i < other.m_count; ++i) Add(other.m_data[i]);
}

CUIPtrArray& CUIPtrArray::operator=(const CUIPtrArray& other) {
    if (this == &other) return *this;
    m_count = 0;
    for (int i = 0; i < other.m_count; ++i) Add(other.m_data[i]);
    return *this;
}

CUIPtrArray::~CUIPtrArray() { free(m_data); }

// Makes room so that count + 1 stays below the capacity (one slot always free).
bool CUIPtrArray::ReserveForOneMore() {
    if (m_count + 1 < m_capacity) return true;
    if (m_capacity > INT_MAX / 2 / static_cast<int>(sizeof(void*))) return false;
    int capacity = m_capacity == 0 ? kFirstCapacity : m_capacity * 2;
    void** block = static_cast<void**>(realloc(m_data, static_cast<size_t>(capacity) * sizeof(void*)));
    if (!block) return false;
    m_data = block;
    m_capacity = capacity;
    return true;
}

bool CUIPtrArray::Add(void* item) {
    if (!ReserveForOneMore()) return false;
    m_data[m_count++] = item;
    return true;
}

bool CUIPtrArray::InsertAt(int index, void* item) {
    if (index == m_count) return Add(item);
    if (index < 0 || index > m_count) return false;
    if (!ReserveForOneMore()) return false;
    memmove(&m_data[index + 1], &m_data[index], static_cast<size_t>(m_count - index) * sizeof(void*));
    m_data[index] = item;
    ++m_count;
    return true;
}

bool CUIPtrArray::RemoveAt(int index) {
    if (index < 0 || index >= m_count) return false;
    --m_count;
    memmove(&m_data[index], &m_data[index + 1], static_cast<size_t>(m_count - index) * sizeof(void*));
    return true;
}

bool CUIPtrArray::SetAt(int index, void* item) {
    if (index < 0 || index >= m_count) return false;
    m_data[index] = item;
    return true;
}

int CUIPtrArray::IndexOf(void* item) const {
    for (int i = 0; i < m_count; ++i) {
        if (m_data[i] == item) return i;
    }
    return -1;
}

void* CUIPtrArray::ItemAt(int index) const {
    if (index < 0 || index >= m_count) return nullptr;
    return m_data[index];
}

void CUIPtrArray::Clear() {
    free(m_data);
    m_data = nullptr;
    m_count = 0;
    m_capacity = 0;
}

bool CUIPtrArray::Resize(int n) {
    Clear();
    if (n <= 0) return true;
    m_data = static_cast<void**>(calloc(static_cast<size_t>(n), sizeof(void*)));
    if (!m_data) return false;
    m_count = m_capacity = n;
    return true;
}

}  // namespace SkinUI
