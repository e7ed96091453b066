#include "reach/reach_report.h"

#include "reach/save_failure.h"

namespace qv {

namespace {

constexpr char kCannotTell[] = "確認できません";
constexpr NetworkKind kProfiles[] = {NetworkKind::Domain, NetworkKind::Private,
                                     NetworkKind::Public};

AnsiString Unknown(const AnsiString& reason) {
  return reason.empty() ? AnsiString(kCannotTell) : AnsiString(kCannotTell) + " (" + reason + ")";
}

// Several networks of one kind give one problem to solve, not one per network.
void AddProblem(ReachReport& report, const AnsiString& problem) {
  for (const AnsiString& p : report.problems) {
    if (p.view() == problem.view()) return;
  }
  report.problems.push_back(problem);
}

AnsiString KindName(NetworkKind kind) {
  switch (kind) {
    case NetworkKind::Domain:
      return "ドメイン";
    case NetworkKind::Private:
      return "プライベート";
    case NetworkKind::Public:
      return "パブリック";
  }
  return "不明";
}

AnsiString RunText(ServiceRun run) {
  switch (run) {
    case ServiceRun::Running:
      return "実行中";
    case ServiceRun::Starting:
      return "開始中";
    case ServiceRun::Stopped:
      return "停止";
    case ServiceRun::Stopping:
      return "停止中";
    case ServiceRun::Paused:
      return "一時停止";
    case ServiceRun::Other:
      break;
  }
  return "不明";
}

AnsiString StartText(ServiceStart start) {
  switch (start) {
    case ServiceStart::Automatic:
      return "自動";
    case ServiceStart::Manual:
      return "手動";
    case ServiceStart::Disabled:
      return "無効";
    case ServiceStart::Other:
      break;
  }
  return "その他";
}

void ReportService(IReachPlatform& platform, ReachReport& report) {
  const Answer<ServiceStatus> service = platform.ServerService();
  if (!service.known()) {
    report.lines.push_back("サーバー サービス: " + Unknown(service.reason));
    return;
  }
  const ServiceStatus s = *service.value;
  report.lines.push_back("サーバー サービス: " + RunText(s.run) +
                         " (スタートアップの種類: " + StartText(s.start) + ")");
  // A service on its way up will answer in a moment; every other state answers no one.
  if (s.run != ServiceRun::Running && s.run != ServiceRun::Starting) {
    report.blocked = true;
    report.problems.push_back(
        "サーバー サービスが動いていません。「サービス」で Server を開始し、スタートアップの種"
        "類を「自動」にしてください。");
  } else if (s.start == ServiceStart::Disabled || s.start == ServiceStart::Manual) {
    report.problems.push_back("サーバー サービスのスタートアップの種類が「" + StartText(s.start) +
                              "」です。再起動の後は共有が使えません。「自動」にしてください。");
  }
}

void ReportFirewall(IReachPlatform& platform, ReachReport& report) {
  const Answer<std::uint32_t> current = platform.CurrentFirewallProfiles();
  if (!current.known()) {
    report.lines.push_back("ファイアウォール: " + Unknown(current.reason));
    return;
  }
  int inUse = 0, closed = 0;
  for (NetworkKind kind : kProfiles) {
    if ((*current.value & static_cast<std::uint32_t>(kind)) == 0) continue;
    ++inUse;
    const AnsiString label = "ファイアウォール (" + KindName(kind) + "): ";
    const Answer<bool> on = platform.FirewallOn(kind);
    if (on.known() && !*on.value) {
      report.lines.push_back(label + "無効 (共有を遮りません)");
      continue;
    }
    const Answer<bool> rules = platform.SharingRulesEnabled(kind);
    if (!rules.known()) {
      report.lines.push_back(label + "ファイルとプリンターの共有: " + Unknown(rules.reason));
      continue;
    }
    if (*rules.value) {
      report.lines.push_back(label + "ファイルとプリンターの共有を許可しています");
      continue;
    }
    if (!on.known()) {
      // Rules off but the firewall's own state unknown: it may be off altogether.
      report.lines.push_back(label +
                             "ファイルとプリンターの共有を許可していません (ファイアウォールの有"
                             "効・無効は" +
                             Unknown(on.reason) + ")");
      continue;
    }
    ++closed;
    report.lines.push_back(label + "ファイルとプリンターの共有を遮っています");
    if (kind == NetworkKind::Public) {
      report.problems.push_back(
          "ファイアウォールがパブリック ネットワークでファイルとプリンターの共有を遮っていま"
          "す。社内のネットワークであれば、設定でネットワークの種類をプライベートに変更してく"
          "ださい。");
    } else {
      report.closedTrustedProfiles.push_back(kind);
      report.problems.push_back("ファイアウォールが" + KindName(kind) +
                                " ネットワークでファイルとプリンターの共有を遮っています。「"
                                "ファイアウォールによるアプリケーションの許可」で「ファイルとプ"
                                "リンターの共有」を許可してください。");
    }
  }
  if (inUse == 0) {
    report.lines.push_back("ファイアウォール: 使用中のプロファイルがありません");
  } else if (closed == inUse) {
    report.blocked = true;
  }
}

void ReportNetworks(IReachPlatform& platform, ReachReport& report) {
  const Answer<std::vector<ConnectedNetwork>> networks = platform.ConnectedNetworks();
  if (!networks.known()) {
    report.lines.push_back("ネットワーク: " + Unknown(networks.reason));
    return;
  }
  if (networks.value->empty()) {
    report.lines.push_back("ネットワーク: 接続中のネットワークがありません");
    report.problems.push_back(
        "ネットワークに接続していません。ネットワークのケーブルや Wi-Fi を確認してください。");
    return;
  }
  for (const ConnectedNetwork& n : *networks.value) {
    // A network the system has not named yet is still told, by its kind alone.
    const AnsiString which =
        n.name.empty() ? AnsiString("名前のないネットワーク") : "ネットワーク「" + n.name + "」";
    report.lines.push_back(which + ": " + KindName(n.kind));
    if (n.kind == NetworkKind::Public) {
      AddProblem(report, which + "の種類がパブリックです。設定でプライベートに変更してください。");
    }
  }
}

void ReportAddresses(const AnsiString& share, IReachPlatform& platform, ReachReport& report) {
  constexpr char kLabel[] = "他のパソコンから開くアドレス: ";
  const Answer<AnsiString> name = platform.ComputerName();
  if (name.known()) {
    report.lines.push_back(AnsiString(kLabel) + "\\\\" + *name.value + "\\" + share);
  } else {
    report.lines.push_back("パソコン名: " + Unknown(name.reason));
  }
  const Answer<std::vector<AnsiString>> addresses = platform.Ipv4Addresses();
  if (!addresses.known()) {
    report.lines.push_back("IPv4 アドレス: " + Unknown(addresses.reason));
  } else if (addresses.value->empty()) {
    report.lines.push_back("IPv4 アドレス: 動作中のネットワーク アダプターにありません");
  } else {
    for (const AnsiString& a : *addresses.value) {
      report.lines.push_back(AnsiString(kLabel) + "\\\\" + a + "\\" + share);
    }
  }
}

void ReportAccounts(IReachPlatform& platform, ReachReport& report) {
  const Answer<bool> guestOff = platform.GuestDisabled();
  if (!guestOff.known()) {
    report.lines.push_back("Guest アカウント: " + Unknown(guestOff.reason));
    return;
  }
  if (*guestOff.value) {
    report.lines.push_back(
        "他のパソコンからは、このパソコンのユーザー名とパスワードで接続します。");
  } else {
    // Clients of today refuse guest logons even where the server would take them.
    report.lines.push_back(
        "Guest アカウントが有効ですが、今の Windows は Guest での接続を拒否します。他のパソコ"
        "ンからは、このパソコンのユーザー名とパスワードで接続してください。");
  }
}

AnsiString StepName(SaveStep step) {
  switch (step) {
    case SaveStep::Create:
      return "作成";
    case SaveStep::Write:
      return "書き込み";
    case SaveStep::Read:
      return "読み戻し";
    case SaveStep::Remove:
      return "削除";
  }
  return "";
}

AnsiString StepFailure(const StepOutcome& step, IShareFiles& files) {
  if (step.differs) return StepName(step.step) + ": 書いた内容と違う内容が読み戻されました";
  return StepName(step.step) + ": " + files.SystemText(step.code) + Format("(code=%u)", step.code);
}

void ReportLoopbackSave(const AnsiString& share, IShareFiles& files, ReachReport& report) {
  const AnsiString folder = "\\\\localhost\\" + share;
  const AnsiString label = "このパソコン自身からの保存 (" + folder + "): ";
  const SaveTrial trial = TrySave(files, folder, kLoopbackBytes);
  if (const StepOutcome* failed = trial.failure()) {
    report.blocked = true;
    report.lines.push_back(label + "できませんでした (" + StepFailure(*failed, files) + ")");
    const SaveFailureAdvice advice = AdviseOnSaveFailure(failed->code);
    report.problems.push_back("このパソコン自身から共有フォルダに保存できませんでした。" +
                              (failed->differs || advice.cause.empty()
                                   ? StepFailure(*failed, files) + "。"
                                   : advice.cause + advice.remedy));
  } else {
    report.lines.push_back(label +
                           "できました (共有とフォルダのアクセス許可を確かめました。ファイアウ"
                           "ォールと他のパソコンのユーザーは確かめていません)");
  }
  if (trial.leftBehind) {
    report.problems.push_back("確認用のファイル " + trial.path +
                              " を削除できませんでした。手で削除してください。");
  }
}

}  // namespace

ReachReport CheckReach(const AnsiString& shareName, IReachPlatform& platform, IShareFiles& files) {
  ReachReport report;
  ReportService(platform, report);
  ReportFirewall(platform, report);
  ReportNetworks(platform, report);
  ReportAddresses(shareName, platform, report);
  ReportAccounts(platform, report);
  ReportLoopbackSave(shareName, files, report);
  report.lines.push_back(report.blocked
                             ? AnsiString("判定 (他のパソコンから): 接続できない原因があります。")
                             : "判定 (他のパソコンから): 接続を妨げる原因は見つかりません"
                               "でした。");
  return report;
}

ReachNotice NoticeFor(const ReachReport& report) {
  ReachNotice notice;
  notice.offersFirewall = !report.closedTrustedProfiles.empty();
  notice.show = report.blocked || notice.offersFirewall;
  if (!notice.show) return notice;
  notice.text = "他のパソコンからこの共有フォルダを使えない原因があります。\r";
  for (const AnsiString& p : report.problems) notice.text += "\r・" + p;
  if (notice.offersFirewall) {
    AnsiString kinds;
    for (NetworkKind k : report.closedTrustedProfiles) {
      kinds += (kinds.empty() ? AnsiString() : AnsiString("、")) + KindName(k);
    }
    notice.text += "\r\rファイアウォールで「ファイルとプリンターの共有」を許可しますか？\r(" +
                   kinds + " ネットワークのみ。パブリック ネットワークは変更しません。)";
  }
  return notice;
}

std::vector<AnsiString> OpenFirewallForSharing(const ReachReport& report,
                                               IReachPlatform& platform) {
  std::vector<AnsiString> lines;
  for (NetworkKind kind : report.closedTrustedProfiles) {
    // The public profile never reaches here, but an opening there would expose the data to any
    // network the computer joins, so it is refused here too.
    if (kind == NetworkKind::Public) continue;
    const AnsiString failure = platform.EnableSharingRules(kind);
    const AnsiString label = "ファイアウォール (" + KindName(kind) + "): ";
    lines.push_back(failure.empty() ? label + "ファイルとプリンターの共有を許可しました"
                                    : label + "ファイルとプリンターの共有を許可できませんでした (" +
                                          failure + ")");
  }
  return lines;
}

}  // namespace qv
