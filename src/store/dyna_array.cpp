// The record array: capacity in whole steps of buffersize records, zero-filled slots, cursor.
#include "store/dyna_array.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

namespace horavant {

AllocationError::AllocationError(int code, std::uint64_t bytes)
    : Error("Error " + std::to_string(code) + " while trying to allocate " + std::to_string(bytes)
            + " bytes of RAM. Not enough memory."),
      m_code(code)
{
}

TDynaArray::TDynaArray(std::int32_t thesize, void** typpoi, BlockAllocator* allocator) : m_allocator(allocator)
{
    Create(thesize, typpoi);
}

TDynaArray::~TDynaArray()
{
    Destroy();
}

TDynaArray::TDynaArray(TDynaArray&& other) noexcept
    : outeraobj(std::exchange(other.outeraobj, nullptr)),
      aobj(std::exchange(other.aobj, nullptr)),
      poi(std::exchange(other.poi, nullptr)),
      count(std::exchange(other.count, 0)),
      aobjnr(std::exchange(other.aobjnr, -1)),
      amemsize(std::exchange(other.amemsize, 0)),
      buffersize(other.buffersize),
      size(other.size),
      m_allocator(other.m_allocator)
{
}

TDynaArray& TDynaArray::operator=(TDynaArray&& other) noexcept
{
    if (this != &other) {
        Destroy();
        outeraobj = std::exchange(other.outeraobj, nullptr);
        aobj = std::exchange(other.aobj, nullptr);
        poi = std::exchange(other.poi, nullptr);
        count = std::exchange(other.count, 0);
        aobjnr = std::exchange(other.aobjnr, -1);
        amemsize = std::exchange(other.amemsize, 0);
        buffersize = other.buffersize;
        size = other.size;
        m_allocator = other.m_allocator;
    }
    return *this;
}

void TDynaArray::Create(std::int32_t thesize, void** typpoi)
{
    if (thesize <= 0)
        throw std::invalid_argument("TDynaArray: the record size must be positive");
    Destroy();
    size = thesize;
    outeraobj = typpoi;
    buffersize = kDefaultBufferSize;
    mirror();
}

void TDynaArray::Destroy()
{
    release(poi);
    poi = nullptr;
    aobj = nullptr;
    aobjnr = -1;
    count = 0;
    amemsize = 0;
}

void TDynaArray::setGrowthStep(std::int32_t records)
{
    if (count != 0 || records <= 0)
        throw std::logic_error("TDynaArray: the growth step can only be set on an empty array");
    buffersize = records;
}

void* TDynaArray::GetObject(std::int32_t Index)
{
    setCurrent(Index);
    return aobj;
}

void* TDynaArray::Add()
{
    ++count;
    bool grown = false;
    try {
        grown = AllocMoreMem();
    } catch (...) {
        --count;
        throw;
    }
    // A slot inside the old block may still hold the bytes of a deleted record.
    if (!grown)
        std::memset(recordAt(count - 1), 0, static_cast<std::size_t>(size));
    setCurrent(static_cast<std::int32_t>(count - 1));
    return aobj;
}

void* TDynaArray::Insert(std::int32_t nr)
{
    if (nr < 0 || static_cast<std::uint32_t>(nr) > count)
        return nullptr;
    ++count;
    try {
        AllocMoreMem();
    } catch (...) {
        --count;
        throw;
    }
    const auto from = static_cast<std::uint32_t>(nr);
    std::memmove(recordAt(from + 1), recordAt(from), std::size_t {count - 1 - from} * size);
    std::memset(recordAt(from), 0, static_cast<std::size_t>(size));
    setCurrent(nr);
    return aobj;
}

void TDynaArray::Delete(std::int32_t nr)
{
    if (nr < 0 || static_cast<std::uint32_t>(nr) >= count)
        return;
    const auto at = static_cast<std::uint32_t>(nr);
    std::memmove(recordAt(at), recordAt(at + 1), std::size_t {count - 1 - at} * size);
    std::memset(recordAt(count - 1), 0, static_cast<std::size_t>(size));
    --count;
    clearCurrent();
    AllocLessMem();
}

void TDynaArray::Change(std::int32_t nr1, std::int32_t nr2)
{
    const auto inRange = [this](std::int32_t nr) { return nr >= 0 && static_cast<std::uint32_t>(nr) < count; };
    if (!inRange(nr1) || !inRange(nr2))
        return;
    auto* a = static_cast<std::byte*>(recordAt(static_cast<std::uint32_t>(nr1)));
    auto* b = static_cast<std::byte*>(recordAt(static_cast<std::uint32_t>(nr2)));
    if (a != b)
        std::swap_ranges(a, a + size, b);
    setCurrent(nr2);
}

void TDynaArray::Clear()
{
    release(poi);
    poi = nullptr;
    count = 0;
    amemsize = 0;
    clearCurrent();
}

void TDynaArray::First()
{
    if (count != 0)
        setCurrent(0);
}

bool TDynaArray::Next()
{
    if (count == 0 || aobjnr < -1 || static_cast<std::int64_t>(aobjnr) >= std::int64_t {count} - 1)
        return false;
    setCurrent(aobjnr + 1);
    return true;
}

bool TDynaArray::WhileNext()
{
    if (count == 0 || aobjnr < 0 || static_cast<std::uint32_t>(aobjnr) > count - 1)
        return false;
    setCurrent(aobjnr);
    ++aobjnr;
    return true;
}

bool TDynaArray::AllocMoreMem()
{
    const std::uint64_t needed = neededBytes();
    if (needed == static_cast<std::uint64_t>(amemsize))
        return false;
    const bool fresh = poi == nullptr;
    void* block = needed <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())
                      ? allocateZeroed(static_cast<std::size_t>(needed))
                      : nullptr;
    if (!block)
        throw AllocationError(fresh ? 1 : 2, needed);
    if (poi) {
        std::memcpy(block, poi, std::min<std::size_t>(static_cast<std::size_t>(amemsize), needed));
        moveCurrentTo(block);
        release(poi);
    }
    poi = block;
    amemsize = static_cast<std::int32_t>(needed);
    return true;
}

void TDynaArray::AllocLessMem()
{
    const std::uint64_t needed = neededBytes();
    if (needed == static_cast<std::uint64_t>(amemsize))
        return;
    if (count == 0) {
        release(poi);
        poi = nullptr;
        amemsize = 0;
        clearCurrent();
        return;
    }
    // On failure the old, larger block stays: it still holds every record.
    void* block = allocateZeroed(static_cast<std::size_t>(needed));
    if (!block)
        throw AllocationError(3, needed);
    std::memcpy(block, poi, static_cast<std::size_t>(needed));
    moveCurrentTo(block);
    release(poi);
    poi = block;
    amemsize = static_cast<std::int32_t>(needed);
}

std::uint64_t TDynaArray::neededBytes() const
{
    if (count == 0)
        return 0;
    const std::uint64_t steps = (std::uint64_t {count} - 1) / static_cast<std::uint64_t>(buffersize) + 1;
    return steps * static_cast<std::uint64_t>(buffersize) * static_cast<std::uint64_t>(size);
}

void TDynaArray::setCurrent(std::int32_t index)
{
    aobjnr = index;
    aobj = recordAt(static_cast<std::uint32_t>(index));
    mirror();
}

void TDynaArray::clearCurrent()
{
    aobjnr = -1;
    aobj = nullptr;
    mirror();
}

void TDynaArray::mirror()
{
    if (outeraobj)
        *outeraobj = aobj;
}

void TDynaArray::moveCurrentTo(void* newBlock)
{
    if (!aobj)
        return;
    const auto offset = static_cast<std::byte*>(aobj) - static_cast<std::byte*>(poi);
    aobj = static_cast<std::byte*>(newBlock) + offset;
    mirror();
}

void* TDynaArray::allocateZeroed(std::size_t bytes) const
{
    return m_allocator ? m_allocator->allocateZeroed(bytes) : std::calloc(1, bytes);
}

void TDynaArray::release(void* block) const
{
    if (!block)
        return;
    if (m_allocator)
        m_allocator->release(block);
    else
        std::free(block);
}

}  // namespace horavant
