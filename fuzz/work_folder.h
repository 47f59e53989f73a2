// The scratch folder of a fuzz harness: on tmpfs where there is one (every save syncs), removed
// when the fuzzer exits.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace horavant::fuzz {

inline const std::filesystem::path& workFolder()
{
    struct Folder {
        Folder()
        {
            const std::filesystem::path base = std::filesystem::exists("/dev/shm")
                                                   ? "/dev/shm"
                                                   : std::filesystem::temp_directory_path();
            std::string pattern = (base / "horavant-fuzz-XXXXXX").string();
            if (!::mkdtemp(pattern.data()))
                std::abort();
            path = pattern;
        }
        ~Folder()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
        std::filesystem::path path;
    };
    static const Folder folder;
    return folder.path;
}

}  // namespace horavant::fuzz
