// Fuzzes benutzer.dat: load, save, load again; the second load must equal the first.
#include "store/error.h"
#include "store/user_file.h"

#include "work_folder.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto file = horavant::fuzz::workFolder() / "benutzer.dat";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    horavant::UserData first;
    try {
        horavant::LoadBenutzer(file, first);
    } catch (const horavant::IoError&) {
        // A damaged file keeps what was read before the damage; that much must survive a save.
    }
    horavant::SaveBenutzer(file, first);
    horavant::UserData second;
    horavant::LoadBenutzer(file, second);
    if (!(second == first))
        std::abort();
    return 0;
}
