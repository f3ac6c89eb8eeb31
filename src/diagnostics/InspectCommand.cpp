#include "diagnostics/InspectCommand.h"

#include <exception>
#include <string>

#include "diagnostics/InspectionReport.h"
#include "diagnostics/ReportFile.h"
#include "shared/HookFailure.h"
#include "shared/Logger.h"
#include "shared/PlatformPaths.h"
#include "shared/PluginState.h"

namespace txl {

void HandleInspectCommand(RCONClientConnection* connection, RCONPacket* packet, UWorld* world) {
    std::wstring reply = L"Thalassovex runtime capture written to processor-runtime.json";
    try {
        // Serialised in full before the file is touched: a failure keeps the earlier report.
        std::string text = SerialiseInspectionReport(world);
        ReplaceReportFile(ToFilesystemPath(State().ReportPath), text);
    } catch (const std::exception& error) {
        Log().error("Thalassovex inspection failed: {}", error.what());
        reply = L"Thalassovex inspection failed; see API log";
    }
    ReplyOrLogFailure(connection, packet, reply);
}

}  // namespace txl
