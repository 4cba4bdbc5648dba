#include "UIStringMap.h"

#include <cstdlib>
#include <new>

namespace SkinUI {

CUIStringMap::CUIStringMap(int buckets) { ResetBuckets(buckets < kMinBuckets ? kMinBuckets : buckets); }

CUIStringMap::~CUIStringMap() {
    FreeItems();
    free(m_buckets);
}

unsigned CUIStringMap::Hash(const wchar_t* key) {
    unsigned h = 0;
    if (!key) return h;
    const wchar_t* end = key;
    while (*end) ++end;
    while (end != key) h = h * 33u + static_cast<unsigned>(*--end);
    return h;
}

CUIStringMap::Item* CUIStringMap::FindItem(const wchar_t* key, bool moveToFront) const {
    if (m_bucketCount == 0 || m_count == 0) return nullptr;
    if (!key) key = L"";
    Item** head = &m_buckets[BucketOf(key)];
    for (Item* item = *head; item; item = item->next) {
        if (item->key != key) continue;
        if (moveToFront && item != *head) {
            item->prev->next = item->next;
            if (item->next) item->next->prev = item->prev;
            item->prev = nullptr;
            item->next = *head;
            (*head)->prev = item;
            *head = item;
        }
        return item;
    }
    return nullptr;
}

void* CUIStringMap::Lookup(const wchar_t* key, bool moveToFront) const {
    Item* item = FindItem(key, moveToFront);
    return item ? item->data : nullptr;
}

bool CUIStringMap::Insert(const wchar_t* key, void* data) {
    if (m_bucketCount == 0 || FindItem(key, true)) return false;
    if (!key) key = L"";
    Item* item = new (std::nothrow) Item{CUIString(key), data, nullptr, nullptr};
    if (!item) return false;
    Item** head = &m_buckets[BucketOf(key)];
    item->next = *head;
    if (*head) (*head)->prev = item;
    *head = item;
    ++m_count;
    return true;
}

void* CUIStringMap::Set(const wchar_t* key, void* data) {
    if (m_bucketCount == 0) return data;
    if (Item* item = FindItem(key, true)) {
        void* old = item->data;
        item->data = data;
        return old;
    }
    Insert(key, data);
    return nullptr;
}

bool CUIStringMap::Remove(const wchar_t* key) {
    Item* item = FindItem(key, false);
    if (!item) return false;
    if (item->prev) {
        item->prev->next = item->next;
    } else {
        m_buckets[BucketOf(item->key.Data())] = item->next;
    }
    if (item->next) item->next->prev = item->prev;
    delete item;
    --m_count;
    return true;
}

void CUIStringMap::FreeItems() {
    for (int i = 0; i < m_bucketCount; ++i) {
        Item* item = m_buckets[i];
        while (item) {
            Item* next = item->next;
            delete item;
            item = next;
        }
        m_buckets[i] = nullptr;
    }
    m_count = 0;
}

void CUIStringMap::ResetBuckets(int buckets) {
    FreeItems();
    free(m_buckets);
    m_buckets = nullptr;
    m_bucketCount = 0;
    if (buckets <= 0) return;
    m_buckets = static_cast<Item**>(calloc(static_cast<size_t>(buckets), sizeof(Item*)));
    if (m_buckets) m_bucketCount = buckets;
}

void CUIStringMap::RemoveAll() { ResetBuckets(m_bucketCount); }

const wchar_t* CUIStringMap::KeyAt(int index) const {
    if (index < 0) return nullptr;
    for (int b = m_bucketCount - 1; b >= 0; --b) {
        for (Item* item = m_buckets[b]; item; item = item->next) {
            if (index-- == 0) return item->key.Data();
        }
    }
    return nullptr;
}

}  // namespace SkinUI
