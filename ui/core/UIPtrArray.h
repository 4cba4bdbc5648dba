#pragma once
// CUIPtrArray: a growable array of untyped pointers (the pointers are not owned).
// Growth: when an addition makes the count reach the capacity, the block doubles (11 slots the first
// time), so one slot always stays free. A failed allocation leaves the array unchanged.

namespace SkinUI {

class CUIPtrArray {
public:
    explicit CUIPtrArray(int preallocate = 0);
    CUIPtrArray(const CUIPtrArray& other);  // appends every element of other
    CUIPtrArray& operator=(const CUIPtrArray& other);
    ~CUIPtrArray();

    bool Add(void* item);
    bool InsertAt(int index, void* item);  // 0..count; count appends
    bool RemoveAt(int index);
    bool SetAt(int index, void* item);
    int IndexOf(void* item) const;
    void* ItemAt(int index) const;  // null outside 0..count-1
    void* operator[](int index) const { return m_data[index]; }  // unchecked

    int Count() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }
    void** Data() const { return m_data; }
    int Capacity() const { return m_capacity; }

    void Clear();          // frees the block; count and capacity 0
    bool Resize(int n);    // n zeroed slots, count = capacity = n

private:
    bool ReserveForOneMore();

    void** m_data = nullptr;
    int m_count = 0;
    int m_capacity = 0;
};

}  // namespace SkinUI
