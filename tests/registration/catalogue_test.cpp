#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "fakes/transcript.h"
#include "registration/catalogue.h"
#include "registration/registrar.h"

namespace tovrin {
namespace {

using fakes::FakePlatform;
using fakes::transcriptIs;
using Lines = std::vector<std::string>;

const std::string SYSTEM32 = "C:\\WINDOWS\\system32\\";
const std::string NOT_LOADED = "failed - file is non-present or unloadable!";

// The whole walk on a system where no file loads, written out line by line.
const char* const WALK_NOTHING_LOADS = R"walk(
Registering Crypto Components...
 Component: SoftPub Forwarder DLL
  Registering softpub.dll... failed - file is non-present or unloadable!
 Component: MS Trust Verification APIs
  Registering wintrust.dll... failed - file is non-present or unloadable!
 Component: MS Trust Installation and Setup
  Registering initpki.dll... failed - file is non-present or unloadable!
 Component: MS Enhanced DSS and Diffie-Hellman Crypto Provider
  Registering dssenh.dll... failed - file is non-present or unloadable!
 Component: MS Enhanced Crypto Provider
  Registering rsaenh.dll... failed - file is non-present or unloadable!
 Component: Gemplus Crypto Service Provider
  Registering gpkcsp.dll... failed - file is non-present or unloadable!
 Component: Infineon SICRYPT(R) Base Smart Card CSP
  Registering sccbase.dll... failed - file is non-present or unloadable!
 Component: Schlumberger Cryptoflex(TM) Smart Card Crypto Service Provider
  Registering slbcsp.dll... failed - file is non-present or unloadable!
 Component: MS Common Certificate Dialogs
  Registering cryptdlg.dll... failed - file is non-present or unloadable!
 Component: Crypto Shell Extensions
  Registering cryptext.dll... failed - file is non-present or unloadable!
 Component: MS Trust Subject Package APIs
  Registering mssip32.dll... failed - file is non-present or unloadable!
 Component: Distributed Password Authentication Client for 32 bit platforms
  Registering msapsspc.dll... failed - file is non-present or unloadable!
Registering MS XML Components...
 Component: XML OM for Win32
  Registering msxml.dll... failed - file is non-present or unloadable!
 Component: XML Resources for Win32
  Registering msxmlr.dll... failed - file is non-present or unloadable!
 Component: XML OM for Win32
  Registering msxml2.dll... failed - file is non-present or unloadable!
 Component: XML Resources for Win32
  Registering msxml2r.dll... failed - file is non-present or unloadable!
 Component: MS XML V.3 SP3
  Registering msxml3.dll... failed - file is non-present or unloadable!
 Component: XML Resources
  Registering msxml3a.dll... failed - file is non-present or unloadable!
 Component: XML Resources
  Registering msxml3r.dll... failed - file is non-present or unloadable!
 Component: MS XML V.4 SP2
  Registering msxml4.dll... failed - file is non-present or unloadable!
 Component: MS XML 4.0 SP1 XML Resources
  Registering msxml4r.dll... failed - file is non-present or unloadable!
Registering Media Player Components...
 Component: Windows Media Player Core
  Registering wmp.dll... failed - file is non-present or unloadable!
 Component: Windows Media 6.4 Player Shim
  Registering wmpdxm.dll... failed - file is non-present or unloadable!
 Component: Windows Media Player 2 ActiveX Control
  Registering msdxm.ocx... failed - file is non-present or unloadable!
 Component: Liquid Motion Runtime Control
  Registering lmrt.dll... failed - file is non-present or unloadable!
 Component: Windows Media Source Filter
  Registering dxmasf.dll... failed - file is non-present or unloadable!
 Component: MS MM Controls
  Registering Daxctle.ocx... failed - file is non-present or unloadable!
 Component: Microsoft Multimedia Controls Effects Library
  Registering mmefxe.ocx... failed - file is non-present or unloadable!
 Component: NetMeeting ActiveX Conference Control
  Registering xmsconf.ocx... failed - file is non-present or unloadable!
Registering Codecs...
 Component: MPEG Layer-2 Audio Decoder
  Registering l3codecx.ax... failed - file is non-present or unloadable!
 Component: ACELP.net Audio Decoder
  Registering acelpdec.ax... failed - file is non-present or unloadable!
 Component: MS MPEG-4 Video Decompressor
  Registering mpg4ds32.ax... failed - file is non-present or unloadable!
  Registering voxmsdec.ax... failed - file is non-present or unloadable!
Registering DirectX Media Components...
 Component: DirectX Transform Core
  Registering dxtrans.dll... failed - file is non-present or unloadable!
 Component: Image DirectX Transforms
  Registering dxtmsft.dll... failed - file is non-present or unloadable!
 Component: 3D DirectX Transforms
  Registering dxtmsft3.dll... failed - file is non-present or unloadable!
 Component: DirectAnimation
  Registering danim.dll... failed - file is non-present or unloadable!
Registering Scripting Components...
 Component: Windows Script Host Runtime Library
  Registering wshom.ocx... failed - file is non-present or unloadable!
 Component: MS Shell Extension for Windows Script
  Registering wshext.dll... failed - file is non-present or unloadable!
 Component: MS VBScript
  Registering vbscript.dll... failed - file is non-present or unloadable!
 Component: MS Script Runtime
  Registering scrrun.dll... failed - file is non-present or unloadable!
 Component: Task Scheduler Setup
  Registering mstinit.exe... failed - file is non-present or unloadable!
 Component: MS Script Control
  Registering msscript.ocx... failed - file is non-present or unloadable!
 Component: Windows Script Component Runtime
  Registering scrobj.dll... failed - file is non-present or unloadable!
 Component: Microsoft Java Virtual Runtime and Java COM Support
  Registering msjava.dll... failed - file is non-present or unloadable!
 Component: MS Jscript
  Registering jscript.dll... failed - file is non-present or unloadable!
 Component: Microsoft DispEx (COM Interface for VBScript)
  Registering dispex.dll... failed - file is non-present or unloadable!
 Component: VB Tabular Data Control
  Registering tdc.ocx... failed - file is non-present or unloadable!
Registering OLE and Base Windows Components...
 Component: OLE for Windows
  Registering ole32.dll... failed - file is non-present or unloadable!
 Component: OLE Automation
  Registering oleaut32.dll... failed - file is non-present or unloadable!
 Component: OLE32 Extensions for Win32
  Registering urlmon.dll... failed - file is non-present or unloadable!
 Component: Active Template Library
  Registering ATL.DLL... failed - file is non-present or unloadable!
 Component: COM Runtime Execution Engine
  Registering corpol.dll... failed - file is non-present or unloadable!
 Component: MS Component Category Manager Library
  Registering comcat.dll... failed - file is non-present or unloadable!
 Component: Time Library
  Registering datime.dll... failed - file is non-present or unloadable!
Registering Windows Update Components...
 Component: Windows Update Client API
  Registering WUAPI.DLL... failed - file is non-present or unloadable!
 Component: Windows Update AutoUpdate Engine
  Registering WUAUENG.DLL... failed - file is non-present or unloadable!
 Component: Windows Update AutoUpdate Engine
  Registering WUAUENG1.DLL... failed - file is non-present or unloadable!
 Component: Windows Update AutoUpdate Service
  Registering wuauserv.dll... failed - file is non-present or unloadable!
 Component: Windows Update Info for NT
  Registering wupdinfo.dll... failed - file is non-present or unloadable!
 Component: Windows Update Client UI Plugin
  Registering WUCLTUI.DLL... failed - file is non-present or unloadable!
 Component: Windows Update Client Proxy Stub
  Registering WUPS.DLL... failed - file is non-present or unloadable!
 Component: Windows Update Client Proxy Stub Version 2
  Registering WUPS2.DLL... failed - file is non-present or unloadable!
 Component: Windows Update Web Control
  Registering WUWEB.DLL... failed - file is non-present or unloadable!
 Component: Windows Update Control Engine
  Registering iuengine.dll... failed - file is non-present or unloadable!
Registering Internet Explorer Components...
 Component: MS HTML Editing Component
  Registering mshtmled.dll... failed - file is non-present or unloadable!
 Component: MS HTML Viewer
  Registering mshtml.dll... failed - file is non-present or unloadable!
 Component: MS Hyperlink Object Library / Office 2000 Component
  Registering hlink.dll... failed - file is non-present or unloadable!
 Component: IOD Version Map
  Registering iesetup.dll... failed - file is non-present or unloadable!
 Component: MS IE FTP Folder Shell Extension
  Registering msieftp.dll... failed - file is non-present or unloadable!
 Component: Internet Explorer Peer Objects
  Registering iepeers.dll... failed - file is non-present or unloadable!
 Component: Internet Ratings and Local User Management Library
  Registering msrating.dll... failed - file is non-present or unloadable!
 Component: Plugin Support
  Registering plugin.ocx... failed - file is non-present or unloadable!
 Component: ActiveX Interface Marshaling Library
  Registering actxprxy.dll... failed - file is non-present or unloadable!
 Component: Channel Definition File Viewer
  Registering cdfview.dll... failed - file is non-present or unloadable!
 Component: HTML Help Control
  Registering hhctrl.ocx... failed - file is non-present or unloadable!
 Component: Internet Connection Wizard Library
  Registering inetcfg.dll... failed - file is non-present or unloadable!
 Component: MS Identity Manager
  Registering msident.dll... failed - file is non-present or unloadable!
 Component: MSN Client (Bundled with IE
  Registering msnsspc.dll... failed - file is non-present or unloadable!
 Component: Microsoft Forms DLL
  Registering MSR2C.DLL... failed - file is non-present or unloadable!
 Component: Internet Connection Manager
  Registering icmfilter.dll... failed - file is non-present or unloadable!
Registering Email Components...
 Component: Send Mail Library for Sending Email via Websites
  Registering sendmail.dll... failed - file is non-present or unloadable!
 Component: Microsoft Internet Account Manager
  Registering msoeacct.dll... failed - file is non-present or unloadable!
 Component: Microsoft Internet Messaging API
  Registering inetcomm.dll... failed - file is non-present or unloadable!
Registering Image Rendering Components...
 Component: IE Plugin Image Decoder Support Library
  Registering imgutil.dll... failed - file is non-present or unloadable!
 Component: Thumbnail View Extension
  Registering thumbvw.dll... failed - file is non-present or unloadable!
 Component: IE PNG Image Decoding
  Registering pngfilt.dll... failed - file is non-present or unloadable!
Registering WebPost Components...
  Registering WEBPOST.DLL... failed - file is non-present or unloadable!
 Component: Web Publishing Wizard COM Server
  Registering WPWIZDLL.DLL... failed - file is non-present or unloadable!
  Registering POSTWPP.DLL... failed - file is non-present or unloadable!
  Registering CRSWPP.DLL... failed - file is non-present or unloadable!
  Registering FTPWPP.DLL... failed - file is non-present or unloadable!
 Component: FrontPage WebPost Provider Library
  Registering FPWPP.DLL... failed - file is non-present or unloadable!
Registering Setup Components...
 Component: Active Setup Control
  Registering asctrls.ocx... failed - file is non-present or unloadable!
 Component: Install Engine
  Registering inseng.dll... failed - file is non-present or unloadable!
Registering Shell Components...
 Component: Shell Doc Object and Control Library - IE 4.01 Compatible
  Registering shdoc401.dll... failed - file is non-present or unloadable!
 Component: Shell Doc Object and Control Library
  Registering shdocvw.dll... failed - file is non-present or unloadable!
 Component: Shell Browser UI Library
  Registering browseui.dll... failed - file is non-present or unloadable!
Registering Language Support Components...
 Component: Multi-Language Support Library
  Registering mlang.dll... failed - file is non-present or unloadable!
 Component: User Location Services Component Module
  Registering ils.dll... failed - file is non-present or unloadable!
Registering Synchronization Components...
 Component: Web Site Monitor (for offline synchronization)
  Registering webcheck.dll... failed - file is non-present or unloadable!
 Component: Microsoft Synchronization Manager Library
  Registering mobsync.dll... failed - file is non-present or unloadable!
Registering Registration and Licensing Components...
 Component: ActiveX License Manager
  Registering licmgr10.dll... failed - file is non-present or unloadable!
 Component: Licdll Module
  Registering licdll.dll... failed - file is non-present or unloadable!
 Component: RegWizCtrl Module (Registration Wizard Library)
  Registering regwizc.dll... failed - file is non-present or unloadable!
Registering BITS Components...
 Component: Background Intelligent Transfer Service
  Registering qmgr.dll... failed - file is non-present or unloadable!
 Component: BITS Proxy Handler
  Registering qmgrprxy.dll... failed - file is non-present or unloadable!
Registering ActiveX Control Handling Components...
 Component: Object Control Viewer
  Registering occache.dll... failed - file is non-present or unloadable!
)walk";

Lines splitLines(const std::string& text) {
    Lines lines;
    std::size_t start = 1;  // past the line feed that opens the block
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// The file name of a "  Registering <file>... <outcome>" line.
std::string fileOf(const std::string& line) {
    const std::string prefix = "  Registering ";
    return line.substr(prefix.size(), line.find("... ") - prefix.size());
}

Lines expectedWalk(const std::string& outcome) {
    Lines lines = splitLines(WALK_NOTHING_LOADS);
    for (std::string& line : lines) {
        if (startsWith(line, "  Registering ")) line = "  Registering " + fileOf(line) + "... " + outcome;
    }
    return lines;
}

Lines registeredFiles() {
    Lines files;
    for (const std::string& line : splitLines(WALK_NOTHING_LOADS)) {
        if (startsWith(line, "  Registering ")) files.push_back(fileOf(line));
    }
    return files;
}

TEST(CatalogueWalkTest, ExpectedTranscriptHoldsTheCatalogueCounts) {
    const Lines lines = splitLines(WALK_NOTHING_LOADS);
    auto count = [&](const std::string& prefix) {
        return std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return startsWith(l, prefix); });
    };
    EXPECT_EQ(lines.size(), 230u);
    EXPECT_EQ(count("Registering "), 19);
    EXPECT_EQ(count(" Component: "), 103);
    EXPECT_EQ(count("  Registering "), 108);
}

TEST(CatalogueWalkTest, NothingLoads) {
    FakePlatform fake;
    ComponentRegistrar registrar;
    registrar.registerCatalogue();
    EXPECT_TRUE(transcriptIs(fake.transcript(), splitLines(WALK_NOTHING_LOADS)));
    Lines loads;
    for (const std::string& file : registeredFiles()) loads.push_back("load " + SYSTEM32 + file);
    EXPECT_EQ(fake.loader.log, loads);  // each entry tried once, in order, and nothing freed
    EXPECT_EQ(fake.loader.loadFlags, std::vector<std::uint32_t>(108, 8));
    EXPECT_EQ(RunStatus, "0xF000");
}

TEST(CatalogueWalkTest, EverythingRegistersAndEachModuleIsFreedBeforeTheNext) {
    FakePlatform fake;
    Lines cycles;
    for (const std::string& file : registeredFiles()) {
        fake.loader.components[SYSTEM32 + file] = {};
        for (const char* action : {"load ", "call ", "free "}) cycles.push_back(action + SYSTEM32 + file);
    }
    ComponentRegistrar registrar;
    registrar.registerCatalogue();
    EXPECT_TRUE(transcriptIs(fake.transcript(), expectedWalk("Success!")));
    EXPECT_EQ(fake.loader.log, cycles);
    EXPECT_EQ(fake.loader.loadedModules, 0);
}

TEST(CatalogueWalkTest, MixedOutcomesDoNotStopTheWalk) {
    FakePlatform fake;
    fake.loader.components[SYSTEM32 + "softpub.dll"] = {false, 0, 0};
    fake.loader.components[SYSTEM32 + "cryptdlg.dll"] = {true, 0x57, 0};
    fake.loader.components[SYSTEM32 + "mstinit.exe"] = {true, static_cast<std::int32_t>(0x80004005u), 0};
    fake.loader.components[SYSTEM32 + "occache.dll"] = {};
    ComponentRegistrar registrar;
    registrar.registerCatalogue();
    Lines expected = splitLines(WALK_NOTHING_LOADS);
    auto set = [&](std::size_t line, const std::string& text) { expected.at(line - 1) = text; };
    set(3, "  Registering softpub.dll... failed - cannot find entry point!");
    set(19, "  Registering cryptdlg.dll... Success!");
    set(89, "  Registering mstinit.exe... failed - cannot call entry point!");
    set(230, "  Registering occache.dll... Success!");
    EXPECT_TRUE(transcriptIs(fake.transcript(), expected));
    EXPECT_EQ(fake.loader.log.size(), 108u + 1 + 2 + 2 + 2);  // one load each, plus the calls and frees
    EXPECT_EQ(fake.loader.loadedModules, 0);
    EXPECT_EQ(RunStatus, "0xF000");
}

// The line that comes before each file's own line: its description, shared or not, or something else when the
// entry has none.
TEST(CatalogueWalkTest, DescriptionLinesOnlyWhereGivenAndSharedTextsRepeated) {
    FakePlatform fake;
    ComponentRegistrar registrar;
    registrar.registerCatalogue();
    const Lines lines = fake.lines();
    auto lineBefore = [&](const std::string& file) {
        auto it = std::find(lines.begin(), lines.end(), "  Registering " + file + "... " + NOT_LOADED);
        return it == lines.end() || it == lines.begin() ? std::string("(no line)") : *(it - 1);
    };
    const struct {
        const char* file;
        std::string before;
    } cases[] = {
        {"voxmsdec.ax", "  Registering mpg4ds32.ax... " + NOT_LOADED},
        {"WEBPOST.DLL", "Registering WebPost Components..."},
        {"POSTWPP.DLL", "  Registering WPWIZDLL.DLL... " + NOT_LOADED},
        {"CRSWPP.DLL", "  Registering POSTWPP.DLL... " + NOT_LOADED},
        {"FTPWPP.DLL", "  Registering CRSWPP.DLL... " + NOT_LOADED},
        {"msxml.dll", " Component: XML OM for Win32"},
        {"msxml2.dll", " Component: XML OM for Win32"},
        {"msxmlr.dll", " Component: XML Resources for Win32"},
        {"msxml2r.dll", " Component: XML Resources for Win32"},
        {"msxml3a.dll", " Component: XML Resources"},
        {"msxml3r.dll", " Component: XML Resources"},
        {"WUAUENG.DLL", " Component: Windows Update AutoUpdate Engine"},
        {"WUAUENG1.DLL", " Component: Windows Update AutoUpdate Engine"},
        {"msnsspc.dll", " Component: MSN Client (Bundled with IE"},
        {"qmgrprxy.dll", " Component: BITS Proxy Handler"},
    };
    for (const auto& c : cases) EXPECT_EQ(lineBefore(c.file), c.before) << c.file;
}

// Each name is joined to the system directory, where names are not case-sensitive.
TEST(CatalogueTest, BareFileNamesEachOnce) {
    std::set<std::string> seen;
    for (const ComponentGroup& group : componentCatalogue()) {
        for (const ComponentEntry& entry : group.entries) {
            std::string name = entry.fileName;
            EXPECT_EQ(name.find_first_of("\\/:"), std::string::npos) << name;
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            EXPECT_TRUE(seen.insert(name).second) << entry.fileName;
        }
    }
    EXPECT_EQ(seen.size(), 108u);
}

}  // namespace
}  // namespace tovrin
