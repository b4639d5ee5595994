#include "WebHostIdentity.h"

#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"
#include "Support/FileContents.h"
#include "Support/QuorvaneError.h"
#include "JSON/JSONValue.h"

#include <filesystem>
#include <system_error>

namespace quorvane {

namespace fs = std::filesystem;

namespace {

std::string requiredMember(const JSONValue::Object& stub, const std::string& key, const std::string& file)
{
    auto member = stub.find(key);
    const std::string* text = member != stub.end() ? member->second.stringValue() : nullptr;
    if (!text || text->empty())
        throw QuorvaneError::failed("The web app file " + file + " has no " + key + ".");
    return *text;
}

} // namespace

WebHostIdentity WebHostIdentity::forExecutable(const std::string& executable)
{
    // Contents/MacOS/QuorvaneWebHost: three levels below the bundle folder.
    return forBundle(fs::path(executable).parent_path().parent_path().parent_path().string());
}

WebHostIdentity WebHostIdentity::forBundle(const std::string& bundlePath)
{
    std::string file = (fs::path(bundlePath) / "Contents/Resources/stub.json").string();
    JSONValue stub;
    try {
        stub = JSONValue::parse(FileContents::read(file));
    } catch (const std::system_error& error) {
        throw QuorvaneError::failed("The web app file " + file + " cannot be read: " + error.code().message() + ".");
    } catch (const JSONError&) {
        throw QuorvaneError::failed("The web app file " + file + " is not JSON.");
    }
    const JSONValue::Object* object = stub.objectValue();
    if (!object)
        throw QuorvaneError::failed("The web app file " + file + " is not a JSON object.");
    WebHostIdentity identity;
    identity.bundlePath = bundlePath;
    identity.slug = requiredMember(*object, "slug", file);
    identity.url = requiredMember(*object, "url", file);
    identity.name = requiredMember(*object, "name", file);
    identity.bundleIdentifier = requiredMember(*object, "bundleIdentifier", file);
    std::optional<UUID> store = UUID::parse(requiredMember(*object, "dataStoreIdentifier", file));
    if (!store)
        throw QuorvaneError::failed("The web app file " + file + " has no valid dataStoreIdentifier.");
    identity.dataStoreIdentifier = *store;
    return identity;
}

WebHostOptions WebHostOptions::forSlug(const std::string& configFile, const std::string& slug)
{
    // A folder or an oversized file where the config goes is as good as none.
    std::optional<std::string> text = FileContents::readIfReadable(configFile, ConfigFile::maximumFileSize);
    if (!text)
        return {};
    QuorvaneConfig config;
    try {
        config = ConfigFile(*text).decode();
    } catch (const QuorvaneError&) {
        // A config line that does not parse: the web app opens without its extras.
        return {};
    }
    WebHostOptions options;
    options.chrome = config.general.windowChrome;
    for (const WebAppRecord& record : config.apps) {
        if (record.slug == slug) {
            options.userCSS = record.spec.userCSS;
            options.userJS = record.spec.userJS;
            options.standardUserAgent = record.spec.standardUserAgent;
        }
    }
    return options;
}

} // namespace quorvane
