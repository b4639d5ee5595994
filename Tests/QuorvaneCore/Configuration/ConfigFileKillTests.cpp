#include "Configuration/ConfigFile.h"

#include "Configuration/QuorvaneConfig.h"
#include "Support/AtomicFile.h"
#include "TestSupport/TemporaryFolder.h"

#include <csignal>
#include <gtest/gtest.h>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvane {
namespace {

// A config large enough that a write takes a while, so that kills land inside it.
std::string bigConfigText()
{
    std::string text(ConfigFile::makeDefault().text());
    for (int index = 0; index < 300; ++index) {
        auto slug = "app" + std::to_string(index);
        text += "\n[apps." + slug + "]\nurl = \"https://" + slug + ".example/\"\nuser_css = \"" + std::string(200, 'c')
            + "\"\n";
    }
    return text;
}

TEST(ConfigFileKill, AWriterKilledAtAnyMomentLeavesAnOldOrNewCompleteFile)
{
    test::TemporaryFolder folder;
    const auto path = folder.file("config.toml");
    const std::string texts[2] = { ConfigFile::makeDefault().text(), bigConfigText() };
    for (auto& text : texts)
        ASSERT_EQ(ConfigFile(text).decode().apps.size(), &text == texts ? 0u : 300u);
    AtomicFile::write(texts[0], path, 0644);

    std::mt19937 random(20240607);
    std::uniform_int_distribution<useconds_t> delay(0, 4000);
    for (int round = 0; round < 40; ++round) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (size_t index = round;; ++index) {
                try {
                    AtomicFile::write(texts[index % 2], path, 0644);
                } catch (const std::system_error&) {
                    ::_exit(1);
                }
            }
        }
        ::usleep(delay(random));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer failed on its own";

        auto text = test::readFile(path);
        ASSERT_TRUE(text == texts[0] || text == texts[1]) << "round " << round << ": " << text.size() << " bytes";
    }
}

} // namespace
} // namespace quorvane
