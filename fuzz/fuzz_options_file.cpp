// Fuzzes options.dat: load, save, load again; the second load must equal the first.
#include "store/options_file.h"

#include "work_folder.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto file = horavant::fuzz::workFolder() / "options.dat";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const std::optional<std::int32_t> first = horavant::LoadOptionsFile(file);
    horavant::SaveOptionsFile(file, first.value_or(horavant::kDefaultLanguage));
    const std::optional<std::int32_t> second = horavant::LoadOptionsFile(file);
    if (second != first.value_or(horavant::kDefaultLanguage))
        std::abort();
    return 0;
}
