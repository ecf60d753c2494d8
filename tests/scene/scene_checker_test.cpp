#include "scene/scene_checker.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "scene/close_match.h"
#include "support/pcx_file.h"
#include "support/temp_file.h"

// The checker's objects are held against the render's by FuzzCorpus.scene_reader_differential.
namespace {

const std::string kLight = "\nLight 0 500 0 1 1 1\n";
const std::string kBall = "Sphere 0 0 -100 50 1 0 0 0 50 none";

// Each finding as "line:column severity", then the first's message.
std::string findings(const SceneCheck& check) {
    static const char* const kSeverities[] = {" error ", " warning ", " note "};
    std::string listed;
    for (const Diagnostic& finding : check.diagnostics) {
        listed += std::to_string(finding.line) + ":" + std::to_string(finding.column) +
                  kSeverities[static_cast<int>(finding.severity)];
    }
    return listed + "| " + (check.diagnostics.empty() ? "" : check.diagnostics[0].message);
}

}  // namespace

TEST(SceneChecker, FindsEachMistakeWhereItShowsOnce) {
    TempDir dir;
    const std::string texture = dir.write("marble.pcx", PcxFile().bytes());
    const std::string lines = dir.write("text.pcx", "not a picture");
    const std::string truecolor =
        dir.write("rgb.pcx",
                  PcxFile().bytes().replace(65, 1, "\x03").substr(0, 130) + std::string(800, '\0'));
    const std::string shape = "Sphere 0 0 -100 50 1 0 0 0 50 ";
    const struct {
        std::string scene, expected;
    } cases[] = {
        {kBall + kLight, "| "},
        {"Sphere 0 0 -100 50 1 0 0 0 50" + kLight,
         "2:1 error 1:1 note 2:7 note 0:0 warning | the keyword 'Light' stands where the texture "
         "name of this "
         "Sphere belongs: a render takes it as the texture name, losing that Light"},
        {"Sphere 0 0 -100 8O 1 0 0 0 50 none" + kLight,
         "1:17 error 1:1 note 1:20 note | '8O' is not a number: a render reads '8' as the radius "
         "of this Sphere and "
         "'O' as its red component"},
        {"Light 0 500 0 1 1 1.5.2",
         "1:19 error 1:1 note 1:22 note | '1.5.2' is not a number: a render reads '1.5' as the "
         "blue component of "
         "this Light and '.2' as the next keyword"},
        {"Sphere 1 2\n  Light 0 0 0 1 1 1",
         "2:3 error 2:3 note 1:1 note 2:9 note 0:0 warning | this Sphere has only 2 of its 9 "
         "numbers: the keyword 'Light' "
         "stands where its centre z belongs"},
        {"Light 1 2",
         "1:10 error 1:1 note | the file ends inside this Light: its position z and what "
         "follows are missing"},
        {kLight + shape,
         "3:30 error 3:1 note | the file ends before the texture name of this Sphere (a "
         "shape without a texture ends with a word such as none)"},
        {kLight + "Sphere",
         "3:1 error | the file ends right after this Sphere's keyword, which "
         "a render then skips"},
        // A line of its own after a misread object is a mistake of its own.
        {"Sphere 0 0 -100  1 0 0 0 50 none\nsphere 0 0 -100 50 1 0 0 0 50 none\nShpere 1 1" +
             kLight,
         "1:29 error 1:1 note 1:1 note 2:1 error 2:1 note 3:1 error 3:1 note | expected a number "
         "for the specular exponent of this "
         "Sphere, found 'none'"},
        {"# a ball\n" + kBall + kLight,
         "1:1 error 1:1 note | '#' does not begin a comment: scene files "
         "have none, and a render reads every word as a keyword "
         "or a number"},
        {"\xEF\xBB\xBF" + kBall + kLight,
         "1:1 error 1:1 note | the file begins with a byte-order mark, which a render reads as "
         "part of the "
         "first word: save the file without it"},
        // The run ends at the next object, and the number after it is a run of its own.
        {"ere 1 x\n" + kBall + " 7" + kLight,
         "1:1 error 1:1 note 2:36 error | 'ere' is not a keyword: objects begin with Sphere, "
         "Cylinder, Plane or Light"},
        {std::string(256, 'x') + kLight,
         "1:1 error | a word longer than 255 characters stands where a keyword belongs"},
        {shape + std::string(300, 'x') + kLight,
         "1:31 error 1:1 note | a word longer than 255 characters "
         "stands where the texture name of this Sphere "
         "belongs"},
        {shape + "7" + kLight,
         "1:31 error 1:1 note | the number '7' stands where the texture name of this "
         "Sphere belongs (has it a number too many?)"},
        {shape + texture + kLight, "| "},
        {shape + dir.path("marbel.pcx") + kLight,
         "1:31 error 1:31 note 1:31 note | the texture '" + dir.path("marbel.pcx") +
             "' does not "
             "exist, so this Sphere shows its plain colour"},
        {shape + lines + kLight, "1:31 error | the texture '" + lines +
                                     "' is not a PCX picture, so this Sphere shows its plain "
                                     "colour"},
        {shape + truecolor + kLight, "1:31 error | the texture '" + truecolor +
                                         "' is not 8 bits per pixel in one plane, the only "
                                         "kind that can be used, so this Sphere shows its plain "
                                         "colour"},
        {kBall, "0:0 warning | the scene has no Light: every shape renders black"},
        {"Light 0 500 0 1 1 1 7",
         "1:21 error | the number '7' stands where a keyword belongs (has the object before it a "
         "number too many?)"},
        {"Plane 0 1 0 0 1 1 1 0 9 none\nLight 0 0 0 1 1 1", "| "},  // a light in the plane sees it
        // Found once every light is known, and told in their place.
        {"Plane 0 -1 0 -120 1 1 1 0 9 none\nPlane 0 0 0 1 1 1 1 0 9 none\nBall" + kLight,
         "1:1 warning 2:1 warning 3:1 error | every Light lies on the side this Plane's normal "
         "points away "
         "from (a x + b y + c z + d < 0 at each), so it renders black; negate its four "
         "coefficients to turn it round"},
        {"Sphere 0 0 0 0 1 1 1 0 9 none\nCylinder 0 0 0 1 0 1 1 1 0 9 none" + kLight,
         "1:14 warning 2:18 warning | the radius of this Sphere is 0: a render never shows it"},
        {"Cylinder 0 0 0 -2 -1 1 1 1 1.5 9 none" + kLight,
         "1:16 warning 1:19 warning 1:28 warning | the radius of this Cylinder is -2: a render "
         "draws it as if it were 2"},
        {"Sphere 0 0 0 1 -0.5 1 1 0 9 none" + kLight,
         "1:16 warning | the red component of this Sphere is -0.5, outside 0 to 1"},
        {"Light nan 1 inf 1 1 1e39",
         "1:7 warning 1:13 warning 1:21 warning | the position x of this Light is not a finite "
         "number: 'nan'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scene);
        EXPECT_EQ(findings(checkScene(c.scene)), c.expected);
    }
}

TEST(SceneChecker, SaysWhatAnObjectTakesAndWhatItsNumbersDo) {
    const SceneCheck check = checkScene("Sphere 0 0 -100 x 1 1 1 0 9 none" + kLight);
    ASSERT_GE(check.diagnostics.size(), 2u);
    EXPECT_EQ(
        check.diagnostics[1].message,
        "a Sphere takes 9 numbers (centre x, centre y, centre z, radius, red component, green "
        "component, blue component, reflectivity, specular exponent) and a texture name");
    EXPECT_EQ(checkScene("Cylinder 0 0 0 1 -1 1 1 1 0 9 none" + kLight).diagnostics.at(0).message,
              "the height of this Cylinder is -1: its top lies below its bottom, and a render "
              "never shows it");
}

TEST(SceneChecker, AdvisesOnTexturesReadFromAnotherFolder) {
    TempDir dir;
    dir.write("marble.pcx", PcxFile().bytes());
    const SceneCheck check =
        checkScene("Sphere 0 0 0 1 1 1 1 0 9 marble.pcx\nSphere 0 0 0 1 1 1 1 0 9 " +
                       dir.path("marbel.pcx") + kLight,
                   dir.path(""));
    ASSERT_EQ(check.diagnostics.size(), 5u);
    EXPECT_EQ(check.diagnostics[1].message, "texture names are read from the working folder, " +
                                                std::filesystem::current_path().string() + "; '" +
                                                dir.path("marble.pcx") +
                                                "' exists: run the render from the "
                                                "scene's folder");
    EXPECT_EQ(check.diagnostics[3].message, "did you mean '" + dir.path("marble.pcx") + "'?");
    EXPECT_EQ(check.diagnostics[4].message, "texture names are read from the working folder, " +
                                                std::filesystem::current_path().string());
}

TEST(SceneChecker, PrintsFindingsAndASummaryPerFileAndPassesTheExamples) {
    TempDir dir;
    const std::string mistaken = dir.write("s.ray", "Light 1 2");
    const std::filesystem::path home = std::filesystem::current_path();
    std::filesystem::current_path(ORVANE_EXAMPLES_DIR);
    const char* const files[] = {"showcase.ray", "lights.ray", "mirrors.ray"};
    CapturedStream passed;
    EXPECT_EQ(checkSceneFiles(3, files, passed.file()), 0);
    std::filesystem::current_path(home);
    EXPECT_EQ(passed.text(),
              "0 errors, 0 warnings in showcase.ray\n"
              "0 errors, 0 warnings in lights.ray\n"
              "0 errors, 0 warnings in mirrors.ray\n");
    const std::string missing = dir.path("missing.ray");
    const char* const failing[] = {mistaken.c_str(), missing.c_str()};
    CapturedStream failed;
    EXPECT_EQ(checkSceneFiles(2, failing, failed.file()), 1);
    EXPECT_EQ(
        failed.text(),
        mistaken +
            ":1:10: error: the file ends inside this Light: its position z and what "
            "follows are missing\n" +
            mistaken + ":1:1: note: a render reads it as: Light: Position (1,2,0) Color (0,0,0)\n" +
            "1 error, 0 warnings in " + mistaken + "\n" + missing +
            ": error: cannot read the scene: No such file or directory\n1 error, 0 warnings in " +
            missing + "\n");
}

TEST(ClosestMatch, CountsTwoNeighboursSwappedAsOneEdit) {
    const std::vector<std::string> keywords = {"Sphere", "Cylinder", "Plane", "Light"};
    const std::pair<const char*, const char*> cases[] = {
        {"Shpeer", "Sphere"}, {"pnale", "Plane"}, {"Lihgt", "Light"}, {"Cube", ""}};
    for (const auto& [word, match] : cases)
        EXPECT_EQ(closestMatch(word, keywords, 2), match) << word;
}
