// Test folders and file helpers.
#include "support/temp_dir.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/resource.h>

namespace horavant::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "horavant-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

FileSizeLimit::FileSizeLimit(unsigned long long bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl {};
    getrlimit(RLIMIT_FSIZE, &rl);
    m_oldSoft = rl.rlim_cur;
    rl.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &rl);
}

FileSizeLimit::~FileSizeLimit()
{
    struct rlimit rl {};
    getrlimit(RLIMIT_FSIZE, &rl);
    rl.rlim_cur = m_oldSoft;
    setrlimit(RLIMIT_FSIZE, &rl);
}

}  // namespace horavant::test
