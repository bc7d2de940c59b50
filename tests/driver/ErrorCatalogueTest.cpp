#include "driver/ErrorCatalogue.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kNoAudio = "Keine Audiofunktionen auf diesem Gerät verfügbar.";

// Every entry of the catalogue as the user reads it: caption, icon and text, framed for a card
// (number 2) where the entry is card-framed, and for no device where it is device-framed or a
// format (which then stays unfilled).
enum Frame { P, C, D, F };
enum Caption { E, I, W };
struct CatalogueRow {
    int id;
    Frame frame;
    Caption caption;
    UINT style;
    const char* text;
};
constexpr CatalogueRow kCatalogue[] = {
    {-1, P, E, 0x10,
     "Der Varnel PRO Treiber konnte nicht initialisiert werden. \r\nNicht genügend Speicher "
     "verfügbar.\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-2, C, E, 0x10, "Fehler beim Lesen der Datei RBT Datei."},
    {-3, C, E, 0x10,
     "Die passende .RBT Datei konnte nicht im Systemverzeichnis von Windows gefunden "
     "werden.\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-4, C, E, 0x10,
     "Der Varnel PRO Treiber konnte nicht initialisiert werden. \r\nFehlende Timerresourcen im "
     "Windows System.\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-5, D, E, 0x10,
     "Das Aktivieren dieses Gerätes macht eine Reinitialisierung der Hardware notwendig.\r\nDies "
     "ist derzeit nicht möglich, da andere Geräte der Karte arbeiten."},
    {-6, P, E, 0x10,
     "Die Einstellungen des Varnel PRO Treibers können derzeit nicht geändert werden.\r\nBeenden "
     "Sie erst alle Anwendungen, welche die Varnel PRO verwenden."},
    {-7, P, E, 0x10,
     "Der Varnel PRO Treiber konnte nicht initialisiert werden. \r\nFehler beim Lesen der "
     "Systemregistrierung.\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-8, P, E, 0x10,
     "Der Varnel PRO Treiber konnte nicht initialisiert werden. \r\nSorry, interner "
     "Zeigerfehler.\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-17, P, I, 0x10,
     "Der Varnel PRO Treiber konnte nicht initialisiert werden. \r\nDas Modul Zq40Pro.VXD wurde "
     "nicht geladen.\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-18, P, I, 0x10,
     "Der Varnel PRO Treiber konnte nicht initialisiert werden. \r\nKernel Driver Device konnte "
     "nicht geöffnet werden.\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-19, P, I, 0x10,
     "Der Varnel PRO Treiber konnte nicht initialisiert werden. \r\nKernel Audio Devices konnten "
     "nicht geöffnet werden.\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-20, P, I, 0x10,
     "Fehler beim Erzeugen eines Kernel Ereignisobjects.\r\nKeine Audiofunktionen auf diesem Gerät "
     "verfügbar."},
    {-21, C, I, 0x10,
     "Die Playcounter der Varnel PRO ließen sich nicht zurücksetzen. \r\nKeine Audiofunktionen auf "
     "diesem Gerät verfügbar."},
    {-22, C, I, 0x10,
     "Die Playcounter der Varnel PRO laufen nicht. \r\nKeine Audiofunktionen auf diesem Gerät "
     "verfügbar."},
    {-23, C, I, 0x10,
     "Die Recordcounter der Varnel PRO ließen sich nicht zurücksetzen. \r\nKeine Audiofunktionen "
     "auf diesem Gerät verfügbar."},
    {-24, C, I, 0x10,
     "Die Recordcounter der Varnel PRO laufen nicht. \r\nKeine Audiofunktionen auf diesem Gerät "
     "verfügbar."},
    {-25, C, I, 0x10,
     "IRQ konnte nicht belegt werden.\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-26, C, I, 0x10,
     "Der Interrupt Request der Hardware bleibt unerkannt.\r\nKeine Audiofunktionen auf diesem "
     "Gerät verfügbar."},
    {-27, P, I, 0x10,
     "Der Varnel PRO Treiber konnte nicht initialisiert werden. \r\nFalsche Version des Moduls "
     "Zq40Pro.VXD\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-28, C, I, 0x10,
     "DirectSound Modul konnte nicht initialisiert werden.\r\nKeine Audiofunktionen auf diesem "
     "Gerät verfügbar."},
    {-29, C, I, 0x10,
     "Midi Modul konnte nicht initialisiert werden.\r\nKeine Audiofunktionen auf diesem Gerät "
     "verfügbar."},
    {-30, C, I, 0x10,
     "Fpga konnte nicht initialisiert werden.\r\nKeine Audiofunktionen auf diesem Gerät "
     "verfügbar."},
    {-31, C, I, 0x10,
     "Kartenspeicher fehlerhaft.\r\nKeine Audiofunktionen auf diesem Gerät verfügbar."},
    {-49, D, E, 0x10, "Fehler bei I/O Operation mit Kernel."},
    {-51, F, E, 0x10,
     "Das Gerät \"%s\" kann momentan nicht mit der Samplerate %d Hz geöffnet werden.\r\nDer "
     "angeschlossene Clock Generator wird bereits durch ein anderes Gerät mit der Samplerate %d Hz "
     "betrieben."},
    {-52, F, W, 0x40,
     "Die für das Gerät \"%s\" geforderte Samplerate von %d Hz stimmt nicht mit der des "
     "angeschlossenen und Clock Generators (%d Hz) überein."},
    {-53, F, W, 0x40,
     "Die für das Gerät \"%s\" geforderte Samplerate von %d Hz kann nicht bereitgestellt "
     "werden.\r\nDie Varnel PRO Hardware konnte sich nicht auf den externen Clock einstellen (No "
     "Lock)."},
    {-54, F, W, 0x40,
     "Die für das Gerät \"%s\" geforderte Samplerate von %d Hz kann nicht bereitgestellt "
     "werden.\r\nDer externe Clock entspricht einer Samplerate von %d Hz."},
    {-55, D, E, 0x10,
     "Gleichzeitiger Betrieb von ADAT/ADAT Monitoring/ADAT Sync und Digital/Digital "
     "Monitoring/Digital Sync nicht möglich."},
    {-56, D, E, 0x10, "Fehler beim Erzeugen eines Threads."},
    {-57, D, I, 0x10, "Fehler beim Erzeugen eines Kernel Ereignisobjects."},
    {-58, D, I, 0x10, "Fehler beim Öffnen eines Kernel Ereignisobjekts."},
    {-59, D, I, 0x10, "Fehler beim Warten auf Ereignisobjekt."},
    {-60, D, E, 0x10, "Adat-Monitoring ist aktiv."},
    {-61, F, E, 0x10, "Sorry, Interner Fehler: Diese Fehlermeldung (NoRwP) dürfte nie erscheinen."},
};

TEST(ErrorCatalogueTest, EveryEntryShowsItsCaptionIconAndFramedText) {
    const char* captions[] = {"Varnel PRO Fehler", "Varnel PRO Initialisierungsfehler",
                              "Varnel PRO Warnung"};
    for (const CatalogueRow& row : kCatalogue) {
        std::string expected = row.text;
        DriverErrorContext context;
        if (row.frame == C) {
            context = 2;
            expected = "Die Hardware der Varnel PRO Karte #2 konnte nicht initialisiert werden. "
                       "\r\n" +
                       expected;
        } else if (row.frame == D) {
            expected =
                "Das Gerät  konnte nicht geöffnet werden. \r\n" + expected + "\r\n" + kNoAudio;
        }
        auto box = ComposeDriverError(context, row.id);
        ASSERT_TRUE(box) << row.id;
        EXPECT_EQ(box->caption, captions[row.caption]) << row.id;
        EXPECT_EQ(box->style, row.style) << row.id;
        EXPECT_EQ(box->text, expected) << row.id;
    }
}

TEST(ErrorCatalogueTest, DeviceFrameQuotesTheDevicesName) {
    auto named = ComposeDriverError(DeviceDescription{"ADAT Record 1-2", 0, 0}, -60);
    ASSERT_TRUE(named);
    EXPECT_EQ(named->text, std::string("Das Gerät \"ADAT Record 1-2\" konnte nicht geöffnet "
                                       "werden. \r\nAdat-Monitoring ist aktiv.\r\n") +
                               kNoAudio);
}

TEST(ErrorCatalogueTest, FormatEntriesFillNameAndRatesInOrder) {
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
