// Type declarations of window.external in a packed Lumora program, for
// editors and the TypeScript checker. Yes/no answers come back as the
// numbers 1 and 0; a call with an argument count a function does not take
// returns undefined. See docs/javascript-api.md.

type LumoraFlag = 0 | 1;

interface LumoraExternal {
  webFind(): undefined;
  webPreview(): undefined;
  appPlayWav(wavPath: string, loop?: number | boolean): LumoraFlag | undefined;
  appStopWav(): LumoraFlag | undefined;
  appOpenFile(filePath: string): LumoraFlag | undefined;
  appParamStr(index: number): string | undefined;
  appParamCount(): string;
  appIsRuntime(): LumoraFlag;
  appOpenFileWith(filePath: string, execPath: string): LumoraFlag | undefined;
  appShellExec(...args: string[]): LumoraFlag | undefined;
  appReadFile(filePath: string): string | undefined;
  appWriteFile(filePath: string, contents: string): undefined;
  appMinimize(): undefined;
  appRestore(): undefined;
  appFileExists(filePath: string): LumoraFlag | undefined;
  appWriteReg(key: string, valueName: string, value: string): LumoraFlag | undefined;
  appReadReg(key: string, valueName: string): string | undefined;
  appRemoveReg(key: string, valueName: string): LumoraFlag | undefined;
  appComputerName(): string;
  appUserName(): string;
  appCreateDir(dirPath: string): LumoraFlag | undefined;
  appDirExists(dirPath: string): LumoraFlag | undefined;
  appDocsDir(): string;
  appRemoveFile(filePath: string): LumoraFlag | undefined;
  SayHello(name?: string): string;
}

interface Window {
  // Present only in pages of the packed site (lmp: URLs).
  readonly external: LumoraExternal;
}

// The page function the program asks before the main window closes: true
// lets it close; anything else keeps it open.
declare function appCanClose(reason: number): unknown;
