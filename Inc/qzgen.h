// The generic containers of the library: TArray (fixed-size array of values), TList (growable
// array of owned item pointers, optionally sorted and unique), TQueue and TStack (owned items
// in a doubly linked chain) and the iterators over lists and queues.
//
// Containers own what they hold: removing or clearing deletes the items. The checks here are
// the library's precondition checks; they throw the EException family and leave the container
// unchanged.
#pragma once

#include "Lib/Except.h"

// Search modes of TList::Search and TList::Find.
enum TFndMode : unsigned {
    FndLt = 0, // the last item less than the probe
    FndLe = 1, // the last item less than or equal
    FndEq = 2, // an item equal to the probe
    FndGe = 3, // the first item greater than or equal
    FndGt = 4, // the first item greater
};

// TList flags.
enum : unsigned { LstUnique = 0x80 };

// ---- TArray ---------------------------------------------------------------------------------

// A fixed-size array of values. Class elements are constructed and destroyed (and, when they
// derive from TQzBsMem, live on the process heap); plain elements are not initialised.
template <typename T>
class TArray : public TQzBsMem {
public:
    TArray() : items(nullptr), count(0) {}
    explicit TArray(unsigned cnt) : items(nullptr), count(0)
    {
        QZ_THROW_INVALID_ARG_IF(cnt==0);
        SetSize(cnt);
    }
    TArray(const TArray &) = delete;
    TArray &operator=(const TArray &) = delete;
    ~TArray() override { Free(); }

    void SetSize(unsigned n)
    {
        if (count != 0)
            Free();
        if (n != 0) {
            items = new T[n];
            count = n;
        }
    }
    void Free()
    {
        delete[] items;
        items = nullptr;
        count = 0;
    }

    T *Items() const { return items; }
    unsigned Count() const { return count; }

private:
    T *items;
    unsigned count;
};

// ---- TList ----------------------------------------------------------------------------------

// A growable array of owned item pointers. With a sort key other than 0 the list keeps its
// items sorted by the item type's comparison
//     TCmpRes Cmp(const T &other, unsigned key) const
// (-1: this item sorts before the other, 0: equal for that key, 1: after); with LstUnique it
// refuses an item equal to a stored one. The address array grows in multiples of granularity.
template <typename T>
class TList : public TQzBsMem {
public:
    TList(int sortKey = 0, unsigned flags = 0, unsigned granularity = 64)
        : items(nullptr), flags(flags), capacity(0), granularity(granularity ? granularity : 1), count(0),
          sortKey(sortKey)
    {
    }
    TList(const TList &) = delete;
    TList &operator=(const TList &) = delete;
    // Clears always, so that an address array reserved while the list was empty is freed too.
    ~TList() override { Clear(); }

    unsigned Count() const { return count; }
    unsigned Capacity() const { return capacity; }
    int SortKey() const { return sortKey; }

    T *Item(unsigned index) const
    {
        if (index >= count)
            QZ_THROW_OUT_OF_RANGE(index, count);
        return items[index];
    }

    // Sets the capacity to n rounded up to the granularity; false when n <= count or n is the
    // capacity already.
    bool Reserve(unsigned n)
    {
        if (n <= count || n == capacity)
            return false;
        unsigned long long slots = ((unsigned long long)n + granularity - 1) / granularity * granularity;
        unsigned long long bytes = slots * sizeof(T *);
        // An array beyond the heap's 32-bit sizes and a heap without a block are one failure,
        // reported here with the number of slots asked for (the heap's own EBadAlloc names
        // bytes); the old array stays valid.
        T **grown = nullptr;
        if (bytes <= 0xFFFFFFFFull) {
            try {
                grown = static_cast<T **>(MemReAlloc(items, (unsigned)bytes));
            } catch (EBadAlloc &) {
                grown = nullptr;
            }
        }
        if (!grown)
            QZ_THROW_BAD_ALLOC(n);
        items = grown;
        capacity = (unsigned)slots;
        return true;
    }

    unsigned PushBack(T *item)
    {
        if (count == capacity)
            Reserve(capacity + 1);
        items[count] = item;
        return count++;
    }

    unsigned InsertAt(T *item, unsigned index)
    {
        if (index > count)
            QZ_THROW_OUT_OF_RANGE(index, count);
        if (count == capacity)
            Reserve(count + 1);
        for (unsigned i = count; i > index; --i)
            items[i] = items[i - 1];
        items[index] = item;
        ++count;
        return index;
    }

    // Stores the item (in sorted place for a sorted list) and returns its index, or (unsigned)-1
    // when the list is unique and holds an equal item: the item is then not stored and still
    // belongs to the caller.
    unsigned Add(T *item)
    {
        QZ_THROW_INVALID_ARG_IF(item==NULL);
        if (count == capacity)
            Reserve(capacity + 1);
        if (sortKey == 0)
            return PushBack(item);
        unsigned pos = InsertPos(item);
        if ((flags & LstUnique) && count != 0 && item->Cmp(*items[pos == count ? count - 1 : pos], Key()) == 0)
            return (unsigned)-1;
        return InsertAt(item, pos);
    }

    // Binary search of a sorted list for the probe; true and *index when found.
    bool Search(const T *probe, TFndMode mode, unsigned *index) const;

    // The stored item that matches the probe for a key in a mode, or null. The list's own key is
    // searched; any other key is scanned (FndEq: the first equal item; FndGe: that, else the
    // smallest greater item; other modes: null).
    T *Find(const T *probe, int key, TFndMode mode) const;

    // Deletes the items from the last to the first, then frees the address array.
    void Clear()
    {
        while (count > 0) {
            --count;
            delete items[count];
        }
        MemFree(items);
        items = nullptr;
        capacity = 0;
    }

private:
    unsigned Key() const { return (unsigned)sortKey; }
    unsigned InsertPos(const T *item) const;

    T **items;
    unsigned flags;
    unsigned capacity;
    unsigned granularity;
    unsigned count;
    int sortKey;
};

// Where a new item goes: probes three fifths of the way into the remaining range; a new item
// equal to stored ones goes before the equal item that the probing meets.
template <typename T>
unsigned TList<T>::InsertPos(const T *item) const
{
    if (count == 0)
        return 0;
    if (count == 1)
        return item->Cmp(*items[0], Key()).Value() < 0 ? 0 : 1;
    if (item->Cmp(*items[count - 1], Key()).Value() > 0)
        return count;
    unsigned lo = 0, hi = count - 1;
    unsigned probe = (3 * hi + 2 * lo) / 5;
    for (;;) {
        int c = item->Cmp(*items[probe], Key()).Value();
        if (c < 0)
            hi = probe;
        else if (c > 0)
            lo = probe + 1;
        else
            return probe;
        if (hi == lo)
            return hi;
        probe = (3 * hi + 2 * lo) / 5;
    }
}

template <typename T>
bool TList<T>::Search(const T *probe, TFndMode mode, unsigned *index) const
{
    if (count == 0 || !probe)
        return false;
    auto at = [&](unsigned i) { return items[i]->Cmp(*probe, Key()).Value(); };
    auto found = [&](unsigned i) {
        if (index)
            *index = i;
        return true;
    };
    if (count == 1) {
        int c = at(0);
        bool hit = (c < 0 && (mode == FndLt || mode == FndLe)) ||
                   (c == 0 && (mode == FndLe || mode == FndEq || mode == FndGe)) ||
                   (c > 0 && (mode == FndGe || mode == FndGt));
        return hit ? found(0) : false;
    }
    unsigned lo = 0, hi = count - 1;
    while (hi - lo > 1) {
        unsigned mid = (3 * hi + 2 * lo) / 5;
        int c = at(mid);
        if (c > 0) {
            hi = mid;
        } else if (c < 0) {
            lo = mid;
        } else {
            if (mode == FndLt)
                return mid == 0 ? false : found(mid - 1);
            if (mode == FndGt)
                return mid == count - 1 ? false : found(mid + 1);
            return found(mid);
        }
    }
    // Two neighbours remain; the probe's place is below, between or above them.
    int cLo = at(lo), cHi = at(hi);
    switch (mode) {
    case FndEq:
        return cLo == 0 ? found(lo) : cHi == 0 ? found(hi) : false;
    case FndLt:
        return cHi < 0 ? found(hi) : cLo < 0 ? found(lo) : false;
    case FndLe:
        return cHi <= 0 ? found(hi) : cLo <= 0 ? found(lo) : false;
    case FndGe:
        return cLo >= 0 ? found(lo) : cHi >= 0 ? found(hi) : false;
    case FndGt:
        return cLo > 0 ? found(lo) : cHi > 0 ? found(hi) : false;
    }
    return false;
}

template <typename T>
T *TList<T>::Find(const T *probe, int key, TFndMode mode) const
{
    if (!probe)
        return nullptr;
    if (key == sortKey) {
        unsigned i;
        return Search(probe, mode, &i) ? items[i] : nullptr;
    }
    if (mode != FndEq && mode != FndGe)
        return nullptr;
    T *greater = nullptr;
    for (unsigned i = 0; i < count; ++i) {
        if (!items[i])
            continue;
        int c = probe->Cmp(*items[i], (unsigned)key).Value();
        if (c == 0)
            return items[i];
        if (mode == FndGe && c < 0 && (!greater || items[i]->Cmp(*greater, (unsigned)key).Value() < 0))
            greater = items[i];
    }
    return greater;
}

// ---- TQueue, TStack -------------------------------------------------------------------------

// A node of a chain; the item it carries is owned by the container.
template <typename T>
class TContainerItem : public TQzBsMem {
public:
    explicit TContainerItem(T *item) : next(nullptr), prev(nullptr), item(item) {}

    TContainerItem *next;
    TContainerItem *prev;
    T *item;
};

// The doubly linked chain behind TQueue and TStack.
template <typename T>
class TChain : public TQzBsMem {
public:
    typedef TContainerItem<T> TNode;

    TChain() : count(0), head(nullptr), tail(nullptr) {}
    TChain(const TChain &) = delete;
    TChain &operator=(const TChain &) = delete;

    unsigned Count() const { return count; }
    TNode *Head() const { return head; }
    TNode *Tail() const { return tail; }

    // Appends the item behind the last node; the container owns it from now on.
    void Push(T *item)
    {
        TNode *node = new TNode(item);
        node->prev = tail;
        if (tail)
            tail->next = node;
        else
            head = node;
        tail = node;
        ++count;
    }

    // Takes the node out of the chain without deleting it or its item; returns the new count.
    unsigned Unlink(TNode *node)
    {
        if (node->prev)
            node->prev->next = node->next;
        else
            head = node->next;
        if (node->next)
            node->next->prev = node->prev;
        else
            tail = node->prev;
        node->next = nullptr;
        node->prev = nullptr;
        return --count;
    }

    // Deletes the node's item and the node; returns the new count.
    unsigned Remove(TNode *node)
    {
        delete node->item;
        node->item = nullptr;
        unsigned left = Unlink(node);
        delete node;
        return left;
    }

protected:
    unsigned count;
    TNode *head;
    TNode *tail;
};

template <typename T>
class TQueue : public TChain<T> {
public:
    ~TQueue() override { Clear(); }

    // Takes the first item out of the queue; it belongs to the caller now. The queue must not
    // be empty (callers test Count first); an empty queue gives null.
    T *PopFront()
    {
        typename TChain<T>::TNode *node = this->head;
        if (!node)
            return nullptr;
        T *item = node->item;
        this->Unlink(node);
        delete node;
        return item;
    }

    // Deletes the items from the first to the last.
    void Clear()
    {
        while (this->head)
            this->Remove(this->head);
    }
};

template <typename T>
class TStack : public TChain<T> {
public:
    ~TStack() override { Clear(); }

    // Deletes the items from the last pushed to the first.
    void Clear()
    {
        while (this->tail)
            this->Remove(this->tail);
    }
};

// ---- Iterators ------------------------------------------------------------------------------

// Walks a TList by index, forward or from the last item. IsDone re-examines the list, so an
// iterator that ran off the end continues with items appended since.
template <typename T, typename TItem>
class TListIterBase : public TQzBsMem {
public:
    TListIterBase(const TList<T> *list, bool forward)
        : list(list), index(0), forward(forward ? 1 : 0), beforeFirst(0), afterLast(0)
    {
        unsigned n = Size();
        SetPos(forward || n == 0 ? 0 : n - 1);
    }

    bool SetPos(unsigned i)
    {
        index = i;
        unsigned char empty = Size() == 0 ? 1 : 0;
        beforeFirst = empty;
        afterLast = empty;
        return IsValid();
    }
    bool IsValid() const { return Size() != 0 && index < Size(); }
    void Next()
    {
        if (Size() == 0 || index >= Size() - 1) {
            afterLast = 1;
        } else {
            ++index;
            afterLast = 0;
        }
    }
    bool IsDone()
    {
        unsigned n = Size();
        if (index > 0 && index < n)
            beforeFirst = 0;
        if (n != 0 && index < n - 1)
            afterLast = 0;
        return !IsValid() || beforeFirst || afterLast;
    }
    TItem *Current() const { return list->Item(index); }
    unsigned Index() const { return index; }

private:
    unsigned Size() const { return list ? list->Count() : 0; }

    const TList<T> *list;
    unsigned index;
    unsigned char forward;
    unsigned char beforeFirst;
    unsigned char afterLast;
};

template <typename T>
class TListCIter : public TListIterBase<T, const T> {
public:
    explicit TListCIter(const TList<T> *list, bool forward = true) : TListIterBase<T, const T>(list, forward) {}
};

template <typename T>
class TListIter : public TListIterBase<T, T> {
public:
    explicit TListIter(TList<T> *list, bool forward = true) : TListIterBase<T, T>(list, forward) {}
};

// Walks a TQueue from the first node. IsDone re-examines the chain, so an iterator that ran off
// the end continues with nodes appended since.
template <typename T>
class TQueueCIter : public TQzBsMem {
public:
    explicit TQueueCIter(const TChain<T> *queue)
        : queue(queue), node(queue ? queue->Head() : nullptr), afterLast(node ? 0 : 1), beforeFirst(node ? 0 : 1)
    {
    }

    bool First()
    {
        node = queue ? queue->Head() : nullptr;
        afterLast = beforeFirst = node ? 0 : 1;
        return node != nullptr;
    }
    bool Next()
    {
        if (!node)
            return First();
        if (node->next) {
            node = node->next;
            return true;
        }
        afterLast = 1;
        return false;
    }
    bool IsDone()
    {
        if (node && node->prev)
            beforeFirst = 0;
        if (node && node->next)
            afterLast = 0;
        return beforeFirst || afterLast;
    }
    const T *Current() const { return node ? node->item : nullptr; }

private:
    const TChain<T> *queue;
    const TContainerItem<T> *node;
    unsigned char afterLast;
    unsigned char beforeFirst;
};

// ---- Number-and-string records --------------------------------------------------------------

// A number with a string. Key 1 orders by the number, key 2 by the string (case-sensitive
// locale order); any other key finds all records equal.
class GTNumStr : public TQzBsMem {
public:
    GTNumStr(unsigned num = 0, const char *str = nullptr) : num(num), str(str) {}

    unsigned Num() const { return num; }
    const TStr &Str() const { return str; }
    TCmpRes Cmp(const GTNumStr &other, unsigned key) const;

private:
    unsigned num;
    TStr str;
};

// A list of GTNumStr records sorted by number, each number at most once.
class GTNumStrListUniqueNum : public TList<GTNumStr> {
public:
    GTNumStrListUniqueNum() : TList<GTNumStr>(1, LstUnique, 64) {}
};
