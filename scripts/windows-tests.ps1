# The CI's Windows job: runs the 32-bit test programs natively, from the folder that the Linux
# job's artifact unpacks to, and saves a screenshot of the running converter.
#   windows-tests.ps1 [-Screenshot FILE.png]
#Requires -Version 7.0
param([string]$Screenshot = 'screenshot.png')

# Everything that runs here; tests/check_windows_list.sh checks it against CTest's list.
$tests = @(
  @{ Exe = 'engine_test' }
  @{ Exe = 'tables_test' }
  @{ Exe = 'result_format_test' }
  @{ Exe = 'dialog_test' }
  @{ Exe = 'program_test' }
  @{ Exe = 'fatal_report_test' }
  @{ Exe = 'stress_test'; Env = @{ MENSURATOR_STRESS_ACTIONS = '2000' } }
  @{ Exe = 'install_test' }
  # The layout at the runner's own display scale, hence no MENSURATOR_DPI.
  @{ Exe = 'dialog_test'; Args = @('--gtest_filter=*AtThisDpi'); Title = 'layout' }
)

Set-StrictMode -Version Latest
$ErrorActionPreference = 'Stop'
# A test that fails is counted below, not raised, so that the others still run.
$PSNativeCommandUseErrorActionPreference = $false

$root = Split-Path -Parent $PSScriptRoot
$bin = Join-Path $root 'build\win32\tests'
$env:MENSURATOR_EXE = Join-Path $root 'build\win32\mensurator.exe'
$env:MENSURATOR_TESTDATA_DIR = Join-Path $root 'tests\data'
$env:MENSURATOR_RELEASE_DIR = Join-Path $root 'build\win32\release'
Remove-Item Env:MENSURATOR_DPI -ErrorAction SilentlyContinue
$failed = [Collections.Generic.List[string]]::new()

Add-Type -AssemblyName System.Windows.Forms, System.Drawing
Add-Type -Namespace Mensurator -Name User32 -MemberDefinition @'
[DllImport("user32.dll", CharSet = CharSet.Unicode)]
public static extern IntPtr FindWindow(string className, string title);
[DllImport("user32.dll")] public static extern bool IsWindowVisible(IntPtr window);
[DllImport("user32.dll")]
public static extern bool PostMessage(IntPtr window, uint message, IntPtr wParam, IntPtr lParam);
'@

# The converter as Windows draws it; the hidden main window has the same title, so the dialog
# is found by its class. The whole screen is saved, to show any message box beside it too.
function Save-Screenshot([string]$file) {
  $program = [Diagnostics.Process]::Start($env:MENSURATOR_EXE)
  $deadline = (Get-Date).AddSeconds(30)
  do {
    Start-Sleep -Milliseconds 250
    $dialog = [Mensurator.User32]::FindWindow('#32770', 'Mensurator')
    $shown = $dialog -ne [IntPtr]::Zero -and [Mensurator.User32]::IsWindowVisible($dialog)
  } until ($shown -or (Get-Date) -gt $deadline)
  if (-not $shown) { $failed.Add('screenshot: no Mensurator window within 30 s') }
  Start-Sleep -Seconds 1 # time to paint

  $screen = [Windows.Forms.SystemInformation]::VirtualScreen
  $bitmap = [Drawing.Bitmap]::new($screen.Width, $screen.Height)
  $graphics = [Drawing.Graphics]::FromImage($bitmap)
  $graphics.CopyFromScreen($screen.Location, [Drawing.Point]::Empty, $screen.Size)
  $path = [IO.Path]::GetFullPath($file, $PWD.Path) # .NET's own current folder may differ
  $bitmap.Save($path, [Drawing.Imaging.ImageFormat]::Png)
  $graphics.Dispose(); $bitmap.Dispose()
  Write-Host "Screenshot saved to $path"

  # WM_COMMAND from the Close button (IDC_CLOSE in res/resource_ids.h), as a click sends it.
  if ($shown) { [void][Mensurator.User32]::PostMessage($dialog, 0x0111, [IntPtr]1004, [IntPtr]::Zero) }
  if (-not $program.WaitForExit(10000)) {
    $program.Kill()
    $failed.Add('screenshot: the program did not close')
  }
}

try { Save-Screenshot $Screenshot } catch { $failed.Add("screenshot: $_") }

foreach ($test in $tests) {
  $title = if ($test.ContainsKey('Title')) { $test.Title } else { $test.Exe }
  # Assigned, not taken from an if expression, which would unroll a one-element array.
  $testArgs = @()
  if ($test.ContainsKey('Args')) { $testArgs = $test.Args }
  $testEnv = if ($test.ContainsKey('Env')) { $test.Env } else { @{} }
  foreach ($name in $testEnv.Keys) { Set-Item "Env:$name" $testEnv[$name] }
  Write-Host "::group::$title"
  try {
    & (Join-Path $bin "$($test.Exe).exe") @testArgs
    $code = $LASTEXITCODE
  } catch {
    Write-Host $_
    $code = 'not started'
  } finally {
    foreach ($name in $testEnv.Keys) { Remove-Item "Env:$name" }
  }
  Write-Host '::endgroup::'
  if ($code -ne 0) {
    Write-Host "::error::$title failed ($code)"
    $failed.Add("$title ($code)")
  }
}

if ($failed.Count -gt 0) {
  Write-Host "Failed: $($failed -join ', ')"
  exit 1
}
Write-Host "All $($tests.Count) test runs passed."
exit 0
