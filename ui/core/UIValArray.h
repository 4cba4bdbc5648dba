#pragma once
// CUIValArray: a growable array of fixed-size values copied in by bytes (plain records only).
// Grows like CUIPtrArray: doubling, 11 elements the first time, one slot always free.

namespace SkinUI {

class CUIValArray {
public:
    explicit CUIValArray(int elementSize, int preallocate = 0);
    CUIValArray(const CUIValArray& other);
    CUIValArray& operator=(const CUIValArray& other);
    ~CUIValArray();

    bool Add(const void* element);  // copies elementSize bytes
    bool Remove(int index);         // shifts the tail down
    void* GetAt(int index) const;   // null outside 0..count-1
    void* operator[](int index) const { return m_data + index * m_elementSize; }  // unchecked

    int Count() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }
    int ElementSize() const { return m_elementSize; }
    int Capacity() const { return m_capacity; }
    void Clear();

private:
    bool ReserveForOneMore();

    char* m_data = nullptr;
    int m_elementSize;
    int m_count = 0;
    int m_capacity = 0;
};

}  // namespace SkinUI
