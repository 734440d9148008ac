#include "catalog/TitleDownload.h"

#include "app/CatalogFiles.h"
#include "platform/VelacodeApp.h"

TitleDownload TitleDownload::Prepare(const std::string& cacheFolder, const std::string& titleName,
                                     const std::string& contentServer) {
    TitleDownload result;
    if (!zorbel::files::IsSafeTitleName(titleName)) return result;
    CVelacodeApp coder;
    result.url = coder.EncodeUrl(contentServer + "/vudevu/fla/" + titleName + ".swf");
    result.titlePath = zorbel::files::TitlePath(cacheFolder, titleName);
    result.ok = true;
    return result;
}
