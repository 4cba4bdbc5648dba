#pragma once
// CUIStringMap: a string-keyed hash map of untyped pointers with chained buckets. The map owns its items
// (key copies), not the data they point to. Keys compare case-sensitively. A lookup may move its hit to
// the front of the bucket chain, so frequently used keys are found first.
#include "UILife.h"
#include "UIString.h"

namespace SkinUI {

class CUIStringMap {
public:
    enum { kMinBuckets = 16, kDefaultBuckets = 83 };

    explicit CUIStringMap(int buckets = kDefaultBuckets);  // below 16 is raised to 16
    ~CUIStringMap();
    CUIStringMap(const CUIStringMap&) = delete;
    CUIStringMap& operator=(const CUIStringMap&) = delete;

    // Null when there are no buckets or no such key.
    void* Lookup(const wchar_t* key, bool moveToFront = true) const;
    // False when there are no buckets or the key is already present.
    bool Insert(const wchar_t* key, void* data);
    // Replaces the data of an existing key and returns the old data; otherwise inserts and returns null.
    // Without buckets nothing is stored and the given data comes back.
    void* Set(const wchar_t* key, void* data);
    bool Remove(const wchar_t* key);
    void ResetBuckets(int buckets);  // frees every item; no minimum here
    void RemoveAll();

    int Count() const { return m_count; }
    int BucketCount() const { return m_bucketCount; }
    // The i-th key, counting buckets from the last to the first and each chain from its head; null
    // beyond the end. The order changes when a lookup moves a hit to the front.
    const wchar_t* KeyAt(int index) const;

    static unsigned Hash(const wchar_t* key);

    // For holders of a borrowed map: tells whether its owner has deleted it.
    CUILifeWatch WatchLife() const { return m_life.Watch(); }

private:
    struct Item {
        CUIString key;
        void* data;
        Item* prev;
        Item* next;
    };

    Item* FindItem(const wchar_t* key, bool moveToFront) const;
    unsigned BucketOf(const wchar_t* key) const { return Hash(key) % static_cast<unsigned>(m_bucketCount); }
    void FreeItems();

    Item** m_buckets = nullptr;
    int m_bucketCount = 0;
    int m_count = 0;
    CUILifeToken m_life;
};

}  // namespace SkinUI
