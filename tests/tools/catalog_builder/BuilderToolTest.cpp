#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "TempFolder.h"

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string output;
};

ToolRun RunBuilder(const std::string& arguments) {
    ToolRun run;
    const std::string command = std::string(ZORBEL_CATALOG_BUILDER) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[512];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace

TEST(CatalogBuilderTool, BuildsFromASeedAndFromASyntheticCount) {
    TempFolder dir;
    const std::string seed = dir.File("seed.tsv");
    std::ofstream(seed) << "class\t4\t4\t推荐游戏\ntitle\t1\t4\t小猫钓鱼\n";

    const ToolRun fromSeed = RunBuilder("--seed " + seed + " --out " + dir.File("a.dat"));
    EXPECT_EQ(fromSeed.exitCode, 0) << fromSeed.output;
    EXPECT_TRUE(std::filesystem::exists(dir.File("a.dat")));

    const ToolRun synthetic =
        RunBuilder("--synthetic 300 --out " + dir.File("b.dat") + " --key other");
    EXPECT_EQ(synthetic.exitCode, 0) << synthetic.output;
    EXPECT_NE(synthetic.output.find("300 titles"), std::string::npos) << synthetic.output;
}

TEST(CatalogBuilderTool, FailsClearlyAndWritesNothing) {
    TempFolder dir;
    const std::string seed = dir.File("seed.tsv");
    std::ofstream(seed) << "class\t4\t4\t推荐游戏\ntitle\t1\t4\n";
    const std::string out = dir.File("a.dat");

    const ToolRun bad = RunBuilder("--seed " + seed + " --out " + out);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.output.find(seed + ":2: title needs"), std::string::npos) << bad.output;
    EXPECT_FALSE(std::filesystem::exists(out));

    const ToolRun missing = RunBuilder("--seed " + dir.File("none.tsv") + " --out " + out);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.output.find("cannot open the seed file"), std::string::npos)
        << missing.output;

    EXPECT_EQ(RunBuilder("").exitCode, 2);
    EXPECT_EQ(RunBuilder("--seed " + seed).exitCode, 2) << "no --out";
    EXPECT_EQ(RunBuilder("--seed " + seed + " --synthetic 5 --out " + out).exitCode, 2);
    EXPECT_EQ(RunBuilder("--synthetic many --out " + out).exitCode, 2);
    EXPECT_EQ(RunBuilder("--synthetic 0 --out " + out).exitCode, 2);
    EXPECT_EQ(RunBuilder("--synthetic 5 --out " + out + " --key").exitCode, 2);
    EXPECT_EQ(RunBuilder("--synthetic 5 --out " + out + " --bogus x").exitCode, 2);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(dir.Listing(), "seed.tsv;");
}
