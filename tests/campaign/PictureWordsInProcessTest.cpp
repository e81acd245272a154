// The tutorial pictures and the HUD's labels as the game shows them (Warm Up
// running, each picture brought up in its place one after another, at the
// smallest and the largest window the options offer) read back by OCR
// (tesseract): each gives at least 90% of the words data/textures/words.txt
// lists for it. A word counts when its letters are read one after another,
// spaces aside (the reader takes keys drawn in a row for one word), in the
// longest run of letters that the words drawn and those read have in common.
// The shares and the words missed are printed.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <sstream>

#include "engine/core/System.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/Renderer.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/TutorialPopupComponent.h"
#include "support/EngineFixture.h"
#include "support/GLReadback.h"
#include "support/GameplayHarness.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

constexpr int ZOOM = 3;  // the reader wants letters some 20 pixels high

// The letters and digits of each word, lower case.
std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word, w; in >> word; w.clear()) {
        for (char c : word)
            if (std::isalnum(static_cast<unsigned char>(c))) w += char(std::tolower(c));
        if (!w.empty()) words.push_back(w);
    }
    return words;
}

class PictureWordsInProcessTest : public EngineTest, public testing::WithParamInterface<glm::ivec2> {};

TEST_P(PictureWordsInProcessTest, EveryPictureAndHudLabelGivesNineInTenOfItsWords)
{
    const glm::ivec2 size = GetParam();
    GameplayHarness game(size.x, size.y);
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.EnterState(STATE_LEVEL1 + 3));  // Warm Up: both powers on the HUD
    game.SetDrawing(false);                           // each picture is drawn once, to be read
    std::map<std::string, std::string> words;        // texture id -> its words
    std::istringstream file(ReadFile(SourceDir() + "/data/textures/words.txt"));
    for (std::string id, text; file >> id && std::getline(file, text);) words[id] = text;
    const std::string dir = MakeTempDir("zendra-ocr");
    std::vector<std::pair<std::string, std::string>> shown;  // name, words
    std::string list;
    // Draws a frame and keeps the GUI object's box grey, dark on light, enlarged.
    const auto keep = [&](const std::string& name, const GameObject* box, const std::string& expected) {
        game.Step(1);
        game.GetSystem()->renderer->RenderScene();
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        const Picture frame = ReadBackBuffer(size.x, size.y);
        const glm::ivec2 low(glm::vec2(size / 2) + glm::vec2(box->position - box->scale / 2.0f)), extent(box->scale);
        std::string pgm = "P5 " + std::to_string(extent.x * ZOOM) + " " + std::to_string(extent.y * ZOOM) + " 255\n";
        for (int y = extent.y * ZOOM - 1; y >= 0; --y)  // the frame's rows go up
            for (int x = 0; x < extent.x * ZOOM; ++x) {
                const unsigned char* p = &frame[4 * ((low.y + y / ZOOM) * size.x + low.x + x / ZOOM)];
                pgm += char(255 - (p[0] * 3 + p[1] * 6 + p[2]) / 10);
            }
        list += dir + "/" + std::to_string(shown.size()) + ".pgm\n";
        EXPECT_TRUE(WriteFile(dir + "/" + std::to_string(shown.size()) + ".pgm", pgm));
        shown.push_back({name, expected});
    };
    // The HUD as it starts, then with both powers chosen.
    for (const std::string now : {"selected", "active"}) {
        const GameObject* backing = nullptr;
        std::string labels;
        for (GameObject* o : game.GetSystem()->objectManager->GetObjectsWithComponent(CT_GUI)) {
            std::string& id = o->GetComponent<GUIComponent>()->m_textureId;
            if (id.find("selected") != std::string::npos) id.replace(id.find("selected"), 8, now);
            if (o->type == UIOBJECT) labels += words[id];
            if (id == "robotpowersbacking") backing = o;
        }
        ASSERT_NE(backing, nullptr);
        keep("HUD, " + now, backing, labels);
    }
    for (const auto& [id, text] : words) {
        if (id.rfind("tutorial_", 0) != 0) continue;
        for (const std::string& word : Words(text))  // no compass point: nothing on screen shows north
            for (const char* p : {"north", "south", "east", "west"}) EXPECT_NE(word.rfind(p, 0), 0u) << id << ' ' << word;
        auto* popup = game.GetSystem()->objectManager->CreateInstance(TUTORIALPOPUP, glm::vec3(-50.0f))
                          ->GetComponent<TutorialPopupComponent>();
        popup->m_TutorialTextureID = id;
        popup->ShowPopup();
        keep(id, popup->GetPopup(), text);
    }
    ASSERT_EQ(shown.size(), 23u);

    // One reader for all: the listed images are its pages.
    ASSERT_TRUE(WriteFile(dir + "/list.txt", list));
    FILE* reader = popen(("OMP_THREAD_LIMIT=1 tesseract " + dir + "/list.txt stdout --psm 6 2>/dev/null").c_str(), "r");
    std::string output;
    for (char part[4096]; size_t n = fread(part, 1, sizeof part, reader);) output.append(part, n);
    ASSERT_EQ(pclose(reader), 0) << "tesseract-ocr reads the pictures";
    std::istringstream pages(output);
    for (const auto& [name, text] : shown) {
        std::string page, missed, read, drawn;
        std::getline(pages, page, '\f');
        const std::vector<std::string> expected = Words(text);
        for (const std::string& word : Words(page)) read += word;
        for (const std::string& word : expected) drawn += word;
        // in[i][j]: the letters drawn from i and read from j have so many in common, in order.
        std::vector<std::vector<size_t>> in(drawn.size() + 1, std::vector<size_t>(read.size() + 1, 0));
        for (size_t i = drawn.size(); i-- > 0;)
            for (size_t j = read.size(); j-- > 0;)
                in[i][j] = drawn[i] == read[j] ? in[i + 1][j + 1] + 1 : std::max(in[i + 1][j], in[i][j + 1]);
        std::vector<size_t> readAt(drawn.size(), std::string::npos);
        for (size_t i = 0, j = 0; i < drawn.size() && j < read.size();)
            if (drawn[i] == read[j]) readAt[i++] = j++;
            else in[i + 1][j] >= in[i][j + 1] ? ++i : ++j;
        double share = 1.0;
        for (size_t word = 0, first = 0; word < expected.size(); first += expected[word++].size()) {
            bool together = readAt[first] != std::string::npos;
            for (size_t k = first + 1; k < first + expected[word].size(); ++k) together &= readAt[k] == readAt[k - 1] + 1;
            if (!together) missed += " " + expected[word], share -= 1.0 / double(expected.size());
        }
        std::printf("%dx%d %-22s %3.0f%%%s%s\n", size.x, size.y, name.c_str(), 100 * share,
                    missed.empty() ? "" : ", missed:", missed.c_str());
        EXPECT_GE(share, 0.9) << name << " read as: " << page;
    }
    RemoveTree(dir);
}

INSTANTIATE_TEST_SUITE_P(SmallestAndLargestWindow, PictureWordsInProcessTest,
                         testing::Values(glm::ivec2(800, 600), glm::ivec2(1280, 960)), [](const auto& size) {
                             return std::to_string(size.param.x) + "x" + std::to_string(size.param.y);
                         });

} // namespace
