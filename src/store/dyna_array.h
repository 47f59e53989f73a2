// The growable record array of the program's in-memory tables: fixed-size, zero-filled records in
// one contiguous block, with a cursor that can be mirrored into the caller's pointer variable.
#pragma once

#include "store/error.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace horavant {

// Raised when the block cannot be had; what() is the text the user sees. The array keeps the
// records it held before the failing call.
class AllocationError : public Error {
public:
    AllocationError(int code, std::uint64_t bytes);
    int code() const { return m_code; }

private:
    int m_code;
};

// Where the array's block comes from; by default calloc and free.
class BlockAllocator {
public:
    virtual ~BlockAllocator() = default;
    // A zero-filled block, or nullptr when there is no memory.
    virtual void* allocateZeroed(std::size_t bytes) noexcept = 0;
    virtual void release(void* block) noexcept = 0;
};

class TDynaArray {
public:
    static constexpr std::int32_t kDefaultBufferSize = 100;

    // As Create: records of thesize bytes; typpoi, if given, mirrors the current record. The
    // allocator is not owned and must outlive the array.
    explicit TDynaArray(std::int32_t thesize, void** typpoi = nullptr, BlockAllocator* allocator = nullptr);
    ~TDynaArray();
    TDynaArray(TDynaArray&& other) noexcept;
    TDynaArray& operator=(TDynaArray&& other) noexcept;
    TDynaArray(const TDynaArray&) = delete;
    TDynaArray& operator=(const TDynaArray&) = delete;

    // Starts over as a new empty array (releasing any block).
    void Create(std::int32_t thesize, void** typpoi);
    // Releases the block. The mirror is left alone: its variable may already be gone when the
    // array is destroyed.
    void Destroy();

    // No range check: callers pass 0 <= Index < count.
    void* GetObject(std::int32_t Index);
    void* Add();
    // nullptr and no change unless 0 <= nr <= count.
    void* Insert(std::int32_t nr);
    // A failed shrink (Error 3) still deletes the record; the larger block stays in use.
    void Delete(std::int32_t nr);
    void Change(std::int32_t nr1, std::int32_t nr2);
    void Clear();
    void First();
    bool Next();
    bool WhileNext();
    bool AllocMoreMem();
    void AllocLessMem();

    std::uint32_t recordCount() const { return count; }
    std::int32_t currentIndex() const { return aobjnr; }
    void* current() const { return aobj; }
    std::int32_t recordSize() const { return size; }
    std::int32_t allocatedBytes() const { return amemsize; }
    std::int32_t growthStep() const { return buffersize; }
    // Only while the array is empty: the capacity must stay a whole multiple of the step.
    void setGrowthStep(std::int32_t records);

    // Record i without moving the cursor; callers pass 0 <= i < count.
    void* recordAt(std::uint32_t i) const { return static_cast<std::byte*>(poi) + std::size_t {i} * size; }

private:
    std::uint64_t neededBytes() const;
    void setCurrent(std::int32_t index);
    void clearCurrent();
    void mirror();
    void moveCurrentTo(void* newBlock);
    void* allocateZeroed(std::size_t bytes) const;
    void release(void* block) const;

    void** outeraobj = nullptr;
    void* aobj = nullptr;
    void* poi = nullptr;
    std::uint32_t count = 0;
    std::int32_t aobjnr = -1;
    std::int32_t amemsize = 0;
    std::int32_t buffersize = kDefaultBufferSize;
    std::int32_t size = 0;
    BlockAllocator* m_allocator = nullptr;
};

// A TDynaArray of T. Records are moved as bytes, so T must be trivially copyable (and, being
// zero-filled, must read all-zero bytes as its empty value).
template <class T>
class TypedDynaArray {
    static_assert(std::is_trivially_copyable_v<T>, "records of a TDynaArray are moved as bytes");
    static_assert(alignof(T) <= alignof(std::max_align_t), "records lie back to back in one block");

public:
    explicit TypedDynaArray(T** mirror = nullptr, BlockAllocator* allocator = nullptr)
        : m_array(static_cast<std::int32_t>(sizeof(T)), nullptr, allocator), m_mirror(mirror)
    {
        sync();
    }

    T* GetObject(std::int32_t index)
    {
        Sync s(*this);
        return static_cast<T*>(m_array.GetObject(index));
    }
    T* Add()
    {
        Sync s(*this);
        return static_cast<T*>(m_array.Add());
    }
    T* Insert(std::int32_t nr)
    {
        Sync s(*this);
        return static_cast<T*>(m_array.Insert(nr));
    }
    void Delete(std::int32_t nr)
    {
        Sync s(*this);
        m_array.Delete(nr);
    }
    void Change(std::int32_t nr1, std::int32_t nr2)
    {
        Sync s(*this);
        m_array.Change(nr1, nr2);
    }
    void Clear()
    {
        Sync s(*this);
        m_array.Clear();
    }
    void First()
    {
        Sync s(*this);
        m_array.First();
    }
    bool Next()
    {
        Sync s(*this);
        return m_array.Next();
    }
    bool WhileNext()
    {
        Sync s(*this);
        return m_array.WhileNext();
    }

    T* current() const { return static_cast<T*>(m_array.current()); }
    std::uint32_t recordCount() const { return m_array.recordCount(); }
    std::int32_t currentIndex() const { return m_array.currentIndex(); }
    void setGrowthStep(std::int32_t records) { m_array.setGrowthStep(records); }
    // Record i without moving the cursor; callers pass 0 <= i < recordCount().
    T& at(std::uint32_t i) { return *static_cast<T*>(m_array.recordAt(i)); }
    const T& at(std::uint32_t i) const { return *static_cast<const T*>(m_array.recordAt(i)); }

    TDynaArray& untyped() { return m_array; }
    const TDynaArray& untyped() const { return m_array; }

private:
    // Updates the caller's T* after an operation, also when it throws after changing the cursor.
    struct Sync {
        explicit Sync(TypedDynaArray& a) : array(a) {}
        ~Sync() { array.sync(); }
        TypedDynaArray& array;
    };
    void sync()
    {
        if (m_mirror)
            *m_mirror = current();
    }

    TDynaArray m_array;
    T** m_mirror;
};

}  // namespace horavant
