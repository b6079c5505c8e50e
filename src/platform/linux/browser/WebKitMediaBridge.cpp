#include "platform/linux/browser/WebKitMediaBridge.h"

#include <webkit2/webkit2.h>

#include <string>

namespace lumora {

namespace {

// __SCHEME__ is replaced by the scheme with its colon ("lmp:").
constexpr char kBridgeScript[] = R"js((() => {
  'use strict';
  const scheme = '__SCHEME__';
  if (location.protocol !== scheme) return;
  const mediaSrc = Object.getOwnPropertyDescriptor(HTMLMediaElement.prototype, 'src');
  const sourceSrc = Object.getOwnPropertyDescriptor(HTMLSourceElement.prototype, 'src');
  // The URL each element was last given, so a change made while a fetch runs wins.
  const wanted = new WeakMap();
  // The URL handed back to an element after a failed fetch, not to be taken again.
  const givenBack = new WeakMap();

  const ownUrl = (value) => {
    try {
      const url = new URL(value, document.baseURI);
      return url.protocol === scheme ? url.href : null;
    } catch (e) {
      return null;
    }
  };
  const setSrc = (element, value) =>
    (element instanceof HTMLSourceElement ? sourceSrc : mediaSrc).set.call(element, value);

  // Fetches url for element and gives it the bytes as a blob: URL; a failed
  // fetch gives the element its URL back, to fail on as it would have.
  const adopt = (element, url) => {
    wanted.set(element, url);
    // Without a source the element waits quietly instead of reporting an
    // error for the URL it cannot load.
    element.removeAttribute('src');
    fetch(url).then((response) => (response.ok ? response.blob() : Promise.reject(response.status)))
      .then((blob) => {
        if (wanted.get(element) !== url) return;
        setSrc(element, URL.createObjectURL(blob));
      }, () => {
        if (wanted.get(element) !== url) return;
        givenBack.set(element, url);
        setSrc(element, url);
      })
      .then(() => {
        // A changed <source> takes effect only when its media element loads again.
        const media = element instanceof HTMLSourceElement ? element.parentElement : null;
        if (media instanceof HTMLMediaElement && wanted.get(element) === url) media.load();
      });
  };

  const visit = (element) => {
    if (!(element instanceof HTMLMediaElement || element instanceof HTMLSourceElement)) return;
    const value = element.getAttribute('src');
    const url = value === null ? null : ownUrl(value);
    if (url && givenBack.get(element) !== url) adopt(element, url);
  };

  for (const [prototype, descriptor] of [[HTMLMediaElement.prototype, mediaSrc],
                                         [HTMLSourceElement.prototype, sourceSrc]]) {
    Object.defineProperty(prototype, 'src', {
      configurable: true,
      enumerable: descriptor.enumerable,
      get() { return descriptor.get.call(this); },
      set(value) {
        const url = ownUrl(String(value));
        givenBack.delete(this);
        if (url) adopt(this, url); else { wanted.delete(this); descriptor.set.call(this, value); }
      },
    });
  }

  const NativeAudio = window.Audio;
  window.Audio = function Audio(src) {
    const audio = new NativeAudio();
    if (src !== undefined) audio.src = src;
    return audio;
  };
  window.Audio.prototype = NativeAudio.prototype;

  new MutationObserver((records) => {
    for (const record of records) {
      if (record.type === 'attributes') {
        visit(record.target);
        continue;
      }
      for (const node of record.addedNodes) {
        if (!(node instanceof Element)) continue;
        visit(node);
        node.querySelectorAll('video, audio, source').forEach(visit);
      }
    }
  }).observe(document, { childList: true, subtree: true, attributes: true, attributeFilter: ['src'] });
})();)js";

}  // namespace

void AddWebKitMediaBridge(WebKitUserContentManager* manager, const String& scheme) {
  std::string source = kBridgeScript;
  std::string name = ToUtf8(scheme);
  for (char& c : name) c = g_ascii_tolower(c);
  const std::string placeholder = "__SCHEME__";
  source.replace(source.find(placeholder), placeholder.size(), name + ":");
  WebKitUserScript* script = webkit_user_script_new(source.c_str(), WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                                    WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
  webkit_user_content_manager_add_script(manager, script);
  webkit_user_script_unref(script);
}

}  // namespace lumora
