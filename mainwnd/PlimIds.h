#pragma once

// Fixed numbers of the main window: its template, control ids, timers, messages and the
// resources it names. Other windows and tests refer to the controls by these.
namespace zorbel::plim {

constexpr int kTemplateId = 103;

// Category buttons (one radio group).
constexpr int kIdCategoryHome = 1002;       // "宝宝屋"
constexpr int kIdCategorySongs = 1004;      // "听儿歌"
constexpr int kIdCategoryStories = 1005;    // "讲故事"
constexpr int kIdCategoryKnowledge = 1008;  // "学知识"
constexpr int kIdCategoryGames = 1011;      // "玩游戏"
constexpr int kIdCategoryCartoons = 1014;   // "动画片"
constexpr int kIdCategoryCommunity = 1015;  // "儿童团"

constexpr int kIdProgress = 1027;    // download progress
constexpr int kIdStatusEdit = 1028;  // hidden edit the download worker reports through

// Frame buttons along the top edge.
constexpr int kIdClose = 1001;
constexpr int kIdMaximize = 1007;
constexpr int kIdMinimize = 1010;
constexpr int kIdMenu = 1013;
constexpr int kIdFeedback = 1017;
constexpr int kIdSkin = 1019;

constexpr int kIdCatalogTree = 1021;
constexpr int kIdQuickTree = 1022;
constexpr int kIdTitleLabel = 1023;
constexpr int kIdNavCaption = 1018;

// Quick-list tabs (one radio group).
constexpr int kIdTabRecommended = 1033;  // "最新推荐"
constexpr int kIdTabFavourites = 1034;   // "宝宝爱玩"
constexpr int kIdTabPlayed = 1035;       // "宝宝玩过"

constexpr int kIdBrowser = 1032;      // community page browser
constexpr int kIdOnlineLabel = 1038;  // online count
constexpr int kIdAdLink = 1040;       // advertisement link line

constexpr int kTimerAdRotation = 1580;
constexpr int kTimerAdRotationMs = 60000;
constexpr int kTimerDeferredStartup = 1581;
constexpr int kTimerDeferredStartupMs = 1000;

// Notification-area icon: callback message (WM_USER + 102) and icon id (the tray menu's id).
constexpr int kTrayMessage = 0x466;
constexpr int kTrayIconId = 136;

// The about-box command of the system menu; its text would be string 101, which the
// resources do not carry.
constexpr int kSysCommandAbout = 16;
constexpr int kAboutStringId = 101;

}  // namespace zorbel::plim
