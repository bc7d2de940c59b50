#include "driver/ErrorCatalogue.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kNoAudio = "Keine Audiofunktionen auf diesem Gerät verfügbar.";

TEST(ErrorCatalogueTest, CardFrameNamesTheCardAndKeepsTheEntrysOwnEnding) {
    auto box = ComposeDriverError(2, -25);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, std::string("Die Hardware der Varnel PRO Karte #2 konnte nicht "
                                     "initialisiert werden. \r\nIRQ konnte nicht belegt "
                                     "werden.\r\n") +
                             kNoAudio);
    EXPECT_EQ(box->caption, "Varnel PRO Initialisierungsfehler");
    EXPECT_EQ(box->style, 0x10u);

    auto rbt = ComposeDriverError(2, -2);
    ASSERT_TRUE(rbt);
    EXPECT_TRUE(rbt->text.ends_with("\r\nFehler beim Lesen der Datei RBT Datei."));
    EXPECT_EQ(rbt->caption, "Varnel PRO Fehler");
}

TEST(ErrorCatalogueTest, DeviceFrameQuotesTheNameOrLeavesTwoBlanksWithoutOne) {
    auto none = ComposeDriverError(std::monostate{}, -55);
    ASSERT_TRUE(none);
    EXPECT_EQ(none->text,
              std::string("Das Gerät  konnte nicht geöffnet werden. \r\nGleichzeitiger Betrieb "
                          "von ADAT/ADAT Monitoring/ADAT Sync und Digital/Digital "
                          "Monitoring/Digital Sync nicht möglich.\r\n") +
                  kNoAudio);
    auto named = ComposeDriverError(DeviceDescription{"ADAT Record 1-2", 0, 0}, -60);
    ASSERT_TRUE(named);
    EXPECT_EQ(named->text, std::string("Das Gerät \"ADAT Record 1-2\" konnte nicht geöffnet "
                                       "werden. \r\nAdat-Monitoring ist aktiv.\r\n") +
                               kNoAudio);
}

TEST(ErrorCatalogueTest, FormatEntriesFillNameAndRatesOrStayUnfilled) {
    auto unfilled = ComposeDriverError(std::monostate{}, -52);
    ASSERT_TRUE(unfilled);
    EXPECT_EQ(unfilled->caption, "Varnel PRO Warnung");
    EXPECT_EQ(unfilled->style, 0x40u);
    EXPECT_EQ(unfilled->text, "Die für das Gerät \"%s\" geforderte Samplerate von %d Hz stimmt "
                              "nicht mit der des angeschlossenen und Clock Generators (%d Hz) "
                              "überein.");

    auto filled = ComposeDriverError(DeviceDescription{"Digital Record II", 48000, 44100}, -51);
    ASSERT_TRUE(filled);
    EXPECT_EQ(filled->text, "Das Gerät \"Digital Record II\" kann momentan nicht mit der "
                            "Samplerate 48000 Hz geöffnet werden.\r\nDer angeschlossene Clock "
                            "Generator wird bereits durch ein anderes Gerät mit der Samplerate "
                            "44100 Hz betrieben.");
    auto one = ComposeDriverError(DeviceDescription{"X", 96000, 1}, -53);
    EXPECT_NE(one->text.find("\"X\" geforderte Samplerate von 96000 Hz"), std::string::npos);
    EXPECT_EQ(one->text.find('1'), std::string::npos) << "the second rate has no placeholder";
}

TEST(ErrorCatalogueTest, LongDeviceNamesAreCutAtSixtyThreeCharactersNotInsideOne) {
    std::string name(62, 'a');
    name += "äöü"; // characters 63..65, two bytes each
    auto box = ComposeDriverError(DeviceDescription{name, 0, 0}, -49);
    ASSERT_TRUE(box);
    EXPECT_NE(box->text.find("\"" + std::string(62, 'a') + "ä\""), std::string::npos);
}

TEST(ErrorCatalogueTest, UnknownIdsAreAnInternalErrorAndNonErrorsShowNothing) {
    for (int id : {-9, -16, -32, -48, 2, -62, -1000}) {
        auto box = ComposeDriverError(std::monostate{}, id);
        ASSERT_TRUE(box) << id;
        EXPECT_EQ(box->text, "Undefined ErrId") << id;
        EXPECT_EQ(box->caption, "Internal Error") << id;
        EXPECT_EQ(box->style, 0x10u);
    }
    for (int id : {1, 0, -50})
        EXPECT_FALSE(ComposeDriverError(std::monostate{}, id)) << id;
}

} // namespace

#include "driver/ConfigChannel.h"
#include "platform/MessageBox.h"

namespace {

std::vector<std::string> Reported(const StateRecord& states) {
    ScopedScriptedMessageBoxes boxes;
    ReportDriverStates(states);
    std::vector<std::string> texts;
    for (const auto& shown : boxes->History()) {
        EXPECT_EQ(shown.request.owner, 0u);
        EXPECT_EQ(shown.request.style & MB_TYPEMASK, MB_OK);
        texts.push_back(shown.request.caption + "|" + shown.request.text);
    }
    return texts;
}

TEST(ReportDriverStatesTest, AReadyDriverWithNoCardsShowsNothing) {
    EXPECT_TRUE(Reported(StateRecord{1, {0, 0, 0, 0}}).empty());
    EXPECT_TRUE(Reported(StateRecord{1, {1, 1, 1, 1}}).empty());
}

TEST(ReportDriverStatesTest, AMissingKernelModuleShowsNothingAndAWrongOneOnlyItself) {
    EXPECT_TRUE(Reported(StateRecord{-17, {-25, 0, 0, 0}}).empty());
    auto wrong = Reported(StateRecord{-27, {-21, 0, 0, 0}});
    ASSERT_EQ(wrong.size(), 1u);
    EXPECT_NE(wrong[0].find("Falsche Version des Moduls Zq40Pro.VXD"), std::string::npos);
}

TEST(ReportDriverStatesTest, ADriverStateEqualToTheFirstCardsIsShownOnceForTheCard) {
    auto shown = Reported(StateRecord{-25, {-25, 0, 0, 0}});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("Karte #1 konnte"), std::string::npos);

    auto both = Reported(StateRecord{-18, {-25, 0, 0, 0}});
    ASSERT_EQ(both.size(), 2u);
    EXPECT_NE(both[0].find("Kernel Driver Device"), std::string::npos);
    EXPECT_NE(both[1].find("Karte #1 konnte"), std::string::npos);
}

TEST(ReportDriverStatesTest, TheCardListEndsAtTheFirstZero) {
    auto shown = Reported(StateRecord{1, {1, -24, 0, -30}});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].substr(0, shown[0].find('|')), "Varnel PRO Initialisierungsfehler");
    EXPECT_NE(shown[0].find("Karte #2 konnte"), std::string::npos);
    EXPECT_NE(shown[0].find("Recordcounter der Varnel PRO laufen nicht"), std::string::npos);
}

TEST(ReportDriverStatesTest, ShowDriverErrorSaysWhetherABoxWasShown) {
    ScopedScriptedMessageBoxes boxes;
    EXPECT_FALSE(ShowDriverError(std::monostate{}, 1));
    EXPECT_FALSE(ShowDriverError(std::monostate{}, -50));
    EXPECT_TRUE(ShowDriverError(DeviceDescription{"Analog Record ", 44100, 0}, -52));
    ASSERT_EQ(boxes->History().size(), 1u);
    EXPECT_EQ(boxes->History()[0].request.style, MB_OK | MB_ICONINFORMATION);
}

} // namespace
