#include "support/ScratchHome.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace testsupport {

namespace {

class ScratchHome final {
public:
    ~ScratchHome()
    {
        std::error_code ignored;
        if (!m_root.empty())
            std::filesystem::remove_all(m_root, ignored);
    }

    void Make()
    {
        namespace fs = std::filesystem;
        std::string pattern = (fs::temp_directory_path() / "mirubero-test-home-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("scratch home folder");
            std::abort();
        }
        m_root = pattern;
        const auto use = [](const char* variable, const fs::path& folder) {
            fs::create_directories(folder);
            setenv(variable, folder.c_str(), 1);
        };
        use("HOME", m_root);
        use("XDG_CONFIG_HOME", m_root / ".config");
        use("XDG_CACHE_HOME", m_root / ".cache");
        use("XDG_DATA_HOME", m_root / ".local/share");
        use("XDG_STATE_HOME", m_root / ".local/state");
        // Private to the user, as the XDG rules and Qt want it.
        use("XDG_RUNTIME_DIR", m_root / "run");
        fs::permissions(m_root / "run", fs::perms::owner_all, fs::perm_options::replace);
    }

private:
    std::filesystem::path m_root;
};

} // namespace

void UseScratchHome()
{
    static ScratchHome home;
    home.Make();
}

} // namespace testsupport
